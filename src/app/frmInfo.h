#pragma once

#include <QDialog>

namespace kalmora {

// The info window: product, version, service pack, author and publisher.
class frmInfo : public QDialog {
    Q_OBJECT

public:
    explicit frmInfo(QWidget* parent = nullptr);
};

}  // namespace kalmora
