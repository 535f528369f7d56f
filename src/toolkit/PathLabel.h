#pragma once

#include <QLabel>

namespace kalmora {

// Shows a path whole where it fits; where it does not, its middle gives way to "…" (the drive and the
// last folders stay in sight) and the whole path is the tooltip. The label takes the width its
// layout gives it, whatever the path's length.
class PathLabel : public QLabel {
    Q_OBJECT

public:
    explicit PathLabel(const QString& objectName, QWidget* parent = nullptr);

    void SetPath(const QString& path);
    const QString& Path() const { return m_path; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowPath();

    QString m_path;
};

}  // namespace kalmora
