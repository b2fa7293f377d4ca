#pragma once

#include <QWidget>

class QLabel;

namespace tavrin {

struct Settings;

// The four panels of the main window's status bar, left to right.
enum class StatusPanel {
    Port = 0,      // port and rate
    Kind = 1,      // connection kind or the subscriber's phone number
    Operation = 2, // the operation's progress or result, the dialling progress
    Activity = 3,  // the exchange under way
};

// A status bar of four panels of settable width and plain text.
class PanelStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget *parent = nullptr);

    static constexpr int kPanels = 4;
    // A panel shows one line: a line break or other control character in the text (a
    // modem reply quoted in a progress text ends in CR LF) is shown as a blank.
    // panelText gives the text as it was set.
    void setPanelText(StatusPanel panel, const QString &text);
    QString panelText(StatusPanel panel) const;
    QString shownText(StatusPanel panel) const;
    void setPanelWidth(StatusPanel panel, int width);
    // The width set, or more when the panel's text needs it: a larger font never cuts
    // a port, a rate or a phone number.
    int panelWidth(StatusPanel panel) const;
    // panel takes the bar's width less the others' and spare: it alone follows the
    // bar's width.
    void fillWithPanel(StatusPanel panel, int spare);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void relayout();

    QLabel *m_panels[kPanels] = {};
    QString m_texts[kPanels];
    int m_widths[kPanels] = {175, 220, 400, 50};
    int m_fillPanel = -1;
    int m_spare = 0;
};

// Panel 0 of the network kind: the selected subscriber's "host:port, TCP" or
// "host:port, RFC 2217, rate бит/с"; empty when it has no address.
QString NetworkPortText(const Settings &settings);
// Panels 0 and 1 for the kind, port, rate and subscriber of settings; repaints at once.
void ShowConnectionStatus(const Settings &settings, PanelStatusBar *statusBar);

} // namespace tavrin
