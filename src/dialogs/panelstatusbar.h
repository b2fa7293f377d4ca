#pragma once

#include <QWidget>

class QLabel;

namespace tavrin {

struct Settings;

// A status bar of four panels of settable width and plain text (panel 0 port and rate,
// 1 connection kind, 2 operation text, 3 exchange activity).
class PanelStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget *parent = nullptr);

    static constexpr int kPanels = 4;
    // A panel shows one line: a line break or other control character in the text (a
    // modem reply quoted in a progress text ends in CR LF) is shown as a blank.
    // panelText gives the text as it was set.
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const;
    QString shownText(int panel) const;
    void setPanelWidth(int panel, int width);
    int panelWidth(int panel) const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void relayout();

    QLabel *m_panels[kPanels] = {};
    QString m_texts[kPanels];
    int m_widths[kPanels] = {175, 220, 400, 50};
};

// Panels 0 and 1 for the kind, port, rate and subscriber of settings; repaints at once.
void ShowConnectionStatus(const Settings &settings, PanelStatusBar *statusBar);

} // namespace tavrin
