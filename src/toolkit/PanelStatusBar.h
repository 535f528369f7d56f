#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

namespace kalmora {

// A status bar of four text panels, addressed 1 to 4, whose widths keep the ratio 3 : 1 : 2 : 1
// whatever their texts are, as long as a panel kept wide for its text has room. The panels are
// labels named after the bar, "<name>_1" to "<name>_4".
class PanelStatusBar : public QStatusBar {
    Q_OBJECT

public:
    static constexpr int kPanelCount = 4;

    explicit PanelStatusBar(const QString& name, QWidget* parent = nullptr);

    // Panels outside 1 to 4 are ignored.
    void SetPanelText(int panel, const QString& text);
    QString PanelText(int panel) const;
    QLabel* Panel(int panel) const;
    // Keeps the panel wide enough for `sample` however narrow the bar gets; the others give way.
    void KeepPanelWide(int panel, const QString& sample);

private:
    std::array<QLabel*, kPanelCount> m_panels{};
};

}  // namespace kalmora
