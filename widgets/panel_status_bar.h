// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A status bar made of panels laid out from left to right. Each panel has a width, a text and a
// drawing style: text panels show their text, owner-drawn panels are painted by DrawPanel.

#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

class QPainter;

enum TPanelStyle : unsigned char { psText, psOwnerDraw };

class TPanelStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TPanelStatusBar(QWidget* parent = nullptr);

    // Panel accessors throw EStringListError for an index that names no panel.
    int panelCount() const { return static_cast<int>(FPanels.size()); }
    void addPanel(int width);
    void clearPanels();
    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);
    QString panelText(int index) const;
    // Cheap enough to call for every line of a search: repaints only that panel, and only when
    // the text changes.
    void setPanelText(int index, const QString& text);
    // Tells assistive technologies that the panel's text changed (widgets/
    // panel_status_bar_accessible.h); the owner calls it when a change is worth announcing, not
    // for every text set.
    void announcePanelText(int index);
    // Has assistive technologies speak message, wherever the focus is: the bar holds a
    // notification (widgets/panel_status_bar_accessible.h) named by the last message, which
    // shows kAnnouncementDelayMs later. For the end of a task, as a load or a search run, never
    // for each step of one.
    void announce(const QString& message);
    static constexpr int kAnnouncementDelayMs = 300;
    QString announcement() const { return FAnnouncement; }
    TPanelStyle panelStyle(int index) const;
    void setPanelStyle(int index, TPanelStyle style);

    // The panel's rectangle in client coordinates. Panels are separated by kPanelGap pixels, start
    // kTopBorder pixels below the top edge, and the last one reaches the right edge of the bar.
    QRect panelRect(int index) const;

    static constexpr int kTopBorder = 2;
    static constexpr int kPanelGap = 2;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Asks a connected owner to paint an owner-drawn panel; painter is only valid during the call.
    void drawPanel(QPainter* painter, int index, const QRect& rect);

protected:
    // Paints an owner-drawn panel: emits drawPanel when something is connected to it, otherwise
    // fills the rectangle with the button face colour.
    virtual void DrawPanel(QPainter& painter, int index, const QRect& rect);

    void paintEvent(QPaintEvent* event) override;

private:
    struct TPanel {
        int width = 0;
        QString text;
        TPanelStyle style = psText;
    };

    const TPanel& panel(int index) const;
    TPanel& panel(int index);
    void drawPanelText(QPainter& painter, const TPanel& panel, const QRect& rect) const;

    std::vector<TPanel> FPanels;
    QString FAnnouncement;
    bool FAnnouncementPending = false;
};
