#include "dialogs/panelstatusbar.h"

#include "settings/settings.h"

#include <QLabel>
#include <QResizeEvent>

#include <algorithm>

namespace tavrin {

PanelStatusBar::PanelStatusBar(QWidget *parent) : QWidget(parent)
{
    // Tall enough for one line of the font in use, never lower than the classic 22.
    setFixedHeight(std::max(22, fontMetrics().height() + 8));
    for (int i = 0; i < kPanels; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("panel%1").arg(i));
        label->setTextFormat(Qt::PlainText); // device and user text is never markup
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMargin(1);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_panels[i] = label;
    }
    relayout();
}

void PanelStatusBar::setPanelText(int panel, const QString &text)
{
    if (panel < 0 || panel >= kPanels)
        return;
    m_texts[panel] = text;
    QString line = text;
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    m_panels[panel]->setText(line);
}

QString PanelStatusBar::panelText(int panel) const
{
    if (panel < 0 || panel >= kPanels)
        return {};
    return m_texts[panel];
}

QString PanelStatusBar::shownText(int panel) const
{
    if (panel < 0 || panel >= kPanels)
        return {};
    return m_panels[panel]->text();
}

void PanelStatusBar::setPanelWidth(int panel, int width)
{
    if (panel < 0 || panel >= kPanels)
        return;
    m_widths[panel] = std::max(width, 0);
    relayout();
}

int PanelStatusBar::panelWidth(int panel) const
{
    if (panel < 0 || panel >= kPanels)
        return 0;
    return m_widths[panel];
}

void PanelStatusBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

// Panels left to right at their widths; the last one also takes whatever room is left,
// as a status bar's last panel does.
void PanelStatusBar::relayout()
{
    int x = 0;
    for (int i = 0; i < kPanels; ++i) {
        const int w = i == kPanels - 1 ? std::max(m_widths[i], width() - x) : m_widths[i];
        m_panels[i]->setGeometry(x, 0, w, height());
        x += m_widths[i];
    }
}

void ShowConnectionStatus(const Settings &settings, PanelStatusBar *statusBar)
{
    if (!statusBar)
        return;
    // A kind other than Direct or Phone (only a hand-edited file holds one) selects no
    // kind: the direct line is shown, as the channel would use it, and panel 1 names none.
    const ConnectionParameters &line = settings.active();
    QString kindText;
    if (settings.Conn_Prz == Direct) {
        kindText = QStringLiteral(" Непосредственная связь");
    } else if (settings.Conn_Prz == Phone) {
        if (const AbonentRecord *abonent = settings.selectedAbonent())
            kindText = QStringLiteral(" Тел. %1").arg(abonent->phone_code);
    }
    statusBar->setPanelText(1, kindText);
    statusBar->setPanelText(0, QStringLiteral(" COM%1,   %2 бит/с").arg(line.COMPort).arg(line.Rate));
    statusBar->repaint();
}

} // namespace tavrin
