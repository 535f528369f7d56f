#pragma once

#include <QDialog>

namespace kalmora {

struct AppContext;

// The info window: product, version, service pack, author and publisher.
class frmInfo : public QDialog {
    Q_OBJECT

public:
    explicit frmInfo(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace kalmora
