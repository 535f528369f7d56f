#pragma once

#include <QDialog>

namespace kalmora {

class UserInterface;

// The info window: product, version, service pack, author and publisher.
class frmInfo : public QDialog {
    Q_OBJECT

public:
    explicit frmInfo(UserInterface& ui, QWidget* parent = nullptr);
};

}  // namespace kalmora
