#pragma once
#include <QWidget>

class QMenu;

namespace kemless {

class ControlLabel;

// Form7: the mini window, the six-line summary in one label with the same
// actions as the main window in its context menu. It has no timer: the main
// window's refresh writes its text.
class MiniWindow : public QWidget {
    Q_OBJECT
public:
    explicit MiniWindow(QWidget* parent = nullptr);

    void setText(const QString& summary);
    QString text() const;
    void setColors(int32_t backColor, int32_t foreColor);
    ControlLabel* label() const { return label_; }
    QMenu* popupMenu() const { return menu_; }

signals:
    void copySummaryRequested();
    void copyShortRequested();
    void openLinkRequested();
    void helpRequested();
    void settingsRequested();
    void versionRequested();
    void standardRequested();
    void exitRequested();
    void hideRequested();
    void closeRequested();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void fitToText();

    ControlLabel* label_;
    QMenu* menu_;
    QString summary_;
};

}  // namespace kemless
