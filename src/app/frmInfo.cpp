#include "app/frmInfo.h"

#include "foundation/Version.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "toolkit/QtText.h"
#include "toolkit/ProductPicture.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalmora {

frmInfo::frmInfo(AppContext& context, QWidget* parent) : QDialog(parent)
{
    setObjectName("frmInfo");
    setWindowTitle(" Kalmora");
    AddHandbookKey(*this, context, "info");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* picture = NamedLabel("Image1", {});
    picture->setPixmap(ProductPicture(96, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* name = NamedLabel("Label1", "Kalmora");
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 2.0);
    nameFont.setBold(true);
    name->setFont(nameFont);
    auto* version = NamedLabel("Label2", ToQt(kVersionText));
    QFont versionFont = version->font();
    versionFont.setPointSizeF(versionFont.pointSizeF() * 1.2);
    version->setFont(versionFont);
    auto* servicePack = NamedLabel("Label3_0", ToQt(kServicePack));

    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* author = NamedLabel("Label3_1", "Programmierung: Kalmora-Entwicklungsteam");
    auto* publisher = NamedLabel("Label6", "Erstellt im Auftrag von Dorvan");

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(name);
    text->addWidget(version);
    text->addWidget(servicePack);
    text->addSpacing(10);
    text->addWidget(rule);
    text->addSpacing(6);
    text->addWidget(author);
    text->addWidget(publisher);
    text->addStretch();

    auto* body = new QHBoxLayout;
    body->setSpacing(20);
    body->addWidget(picture);
    body->addLayout(text, 1);

    auto* ok = new QPushButton("OK");
    ok->setObjectName("cmd_info_ok");
    ok->setDefault(true);
    ok->setMinimumWidth(90);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 14);
    layout->addLayout(body);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kalmora
