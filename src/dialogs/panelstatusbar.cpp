#include "dialogs/panelstatusbar.h"

#include "dialogs/dialogtexts.h"
#include "link/networkaddress.h"
#include "settings/settings.h"

#include <QLabel>
#include <QResizeEvent>

#include <algorithm>

namespace tavrin {

PanelStatusBar::PanelStatusBar(QWidget *parent) : QWidget(parent)
{
    // Tall enough for one line of the font in use, never lower than the classic 22.
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

void PanelStatusBar::setPanelText(StatusPanel which, const QString &text)
{
    const int panel = int(which);
    m_texts[panel] = text;
    QString line = text;
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    const bool wider = m_panels[panel]->sizeHint().width() > m_panels[panel]->width();
    m_panels[panel]->setText(line);
    if (wider || m_panels[panel]->sizeHint().width() > m_panels[panel]->width())
        relayout();
}

QString PanelStatusBar::panelText(StatusPanel panel) const
{
    return m_texts[int(panel)];
}

QString PanelStatusBar::shownText(StatusPanel panel) const
{
    return m_panels[int(panel)]->text();
}

void PanelStatusBar::setPanelWidth(StatusPanel panel, int width)
{
    m_widths[int(panel)] = std::max(width, 0);
    relayout();
}

int PanelStatusBar::panelWidth(StatusPanel panel) const
{
    const QLabel *label = m_panels[int(panel)];
    const int needed = label->text().isEmpty() ? 0 : label->sizeHint().width();
    return std::max(m_widths[int(panel)], needed);
}

void PanelStatusBar::fillWithPanel(StatusPanel panel, int spare)
{
    m_fillPanel = int(panel);
    m_spare = spare;
    relayout();
}

void PanelStatusBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        relayout();
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
    // Tall enough for one line of the font in use, never lower than the classic 22.
    setFixedHeight(std::max(22, fontMetrics().height() + 8));
    if (m_fillPanel >= 0) {
        int others = 0;
        for (int i = 0; i < kPanels; ++i)
            others += i == m_fillPanel ? 0 : panelWidth(StatusPanel(i));
        m_widths[m_fillPanel] = std::max(0, width() - others - m_spare);
    }
    int x = 0;
    for (int i = 0; i < kPanels; ++i) {
        const int own = panelWidth(StatusPanel(i));
        const int w = i == kPanels - 1 ? std::max(own, width() - x) : own;
        m_panels[i]->setGeometry(x, 0, w, height());
        x += own;
    }
}

QString NetworkPortText(const Settings &settings)
{
    const AbonentRecord *abonent = settings.selectedAbonent();
    const std::optional<NetworkAddress> address =
        abonent ? ParseNetworkAddress(abonent->networkAddress) : std::nullopt;
    if (!address)
        return QString();
    const QString where = NetworkAddressText(*address);
    return abonent->networkProtocol == Rfc2217 ? StatusTexts::NetworkControlledPort.arg(where).arg(settings.network.bitRate)
                                               : StatusTexts::NetworkRawPort.arg(where);
}

void ShowConnectionStatus(const Settings &settings, PanelStatusBar *statusBar)
{
    if (!statusBar)
        return;
    // A kind other than Direct or Phone (only a hand-edited file holds one) selects no
    // kind: the direct line is shown, as the channel would use it, and panel 1 names none.
    const ConnectionParameters &line = settings.active();
    QString kindText;
    QString portText = StatusTexts::PortAndRate.arg(line.portNumber).arg(line.bitRate);
    if (settings.connectionKind == Direct) {
        kindText = StatusTexts::DirectKind;
    } else if (settings.connectionKind == Phone) {
        if (const AbonentRecord *abonent = settings.selectedAbonent())
            kindText = StatusTexts::PhoneKind.arg(abonent->phoneNumber);
    } else if (settings.connectionKind == Network) {
        kindText = StatusTexts::NetworkKind;
        portText = NetworkPortText(settings);
    }
    statusBar->setPanelText(StatusPanel::Kind, kindText);
    statusBar->setPanelText(StatusPanel::Port, portText);
    statusBar->repaint();
}

} // namespace tavrin
