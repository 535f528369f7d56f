#include "toolkit/PanelStatusBar.h"

#include <QLabel>

namespace kalmora {

namespace {

constexpr std::array<int, PanelStatusBar::kPanelCount> kPanelStretch{3, 1, 2, 1};

}  // namespace

PanelStatusBar::PanelStatusBar(const QString& name, QWidget* parent) : QStatusBar(parent)
{
    setObjectName(name);
    setSizeGripEnabled(false);
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString("%1_%2").arg(name).arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Ignored width: the stretch factors alone divide the bar, a long text never widens its panel.
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        panel->setTextFormat(Qt::PlainText);
        addWidget(panel, kPanelStretch[static_cast<std::size_t>(i)]);
        m_panels[static_cast<std::size_t>(i)] = panel;
    }
}

QLabel* PanelStatusBar::Panel(int panel) const
{
    if (panel < 1 || panel > kPanelCount) return nullptr;
    return m_panels[static_cast<std::size_t>(panel - 1)];
}

void PanelStatusBar::KeepPanelWide(int panel, const QString& sample)
{
    QLabel* label = Panel(panel);
    if (label == nullptr) return;
    // The label measures the sample as it would measure its own text.
    const QString shown = label->text();
    label->setText(sample);
    label->setMinimumWidth(label->sizeHint().width());
    label->setText(shown);
}

void PanelStatusBar::SetPanelText(int panel, const QString& text)
{
    if (QLabel* label = Panel(panel)) label->setText(text);
}

QString PanelStatusBar::PanelText(int panel) const
{
    const QLabel* label = Panel(panel);
    return label ? label->text() : QString();
}

}  // namespace kalmora
