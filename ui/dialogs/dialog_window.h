#pragma once
#include <QWidget>
#include <functional>

namespace kemless {

// A top-level window of the dialogs. Enter on a button that has the keyboard
// presses that button: the user chose it. Enter anywhere else runs the
// window's confirm action, and Escape its cancel action, whichever of its
// controls has the keyboard: none of them keeps those keys, so they reach
// the window. Nothing is installed on the application, so another window's
// keys stay its own.
class DialogWindow : public QWidget {
    Q_OBJECT
public:
    // Named `objectName` for the tests and the accessibility tree, with its
    // fixed caption.
    DialogWindow(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    void setEnterAction(std::function<void()> action) { enter_ = std::move(action); }
    void setEscapeAction(std::function<void()> action) { escape_ = std::move(action); }

    // Unloaded by the program (not by the user): hidden and deleted, without
    // the `closed` that the close box sends.
    void unload();
    // The window of this dialog on the screen now, to bring forward: itself
    // when shown, or nothing.
    virtual QWidget* inView() { return isVisible() ? this : nullptr; }

signals:
    // The user closed the window (close box, or an action that means it).
    void closed();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    std::function<void()> enter_;
    std::function<void()> escape_;
};

}  // namespace kemless
