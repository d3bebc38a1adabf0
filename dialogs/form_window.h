#pragma once
#include <QWidget>
#include <functional>

namespace kemless {

// A top-level window of the dialogs. Enter anywhere in it runs its confirm
// action: the window sees the key before its controls do.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(QWidget* parent = nullptr);
    ~FormWindow() override;

    void setEnterAction(std::function<void()> action) { enter_ = std::move(action); }

signals:
    // The window is closing for good (close box or unload).
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;

private:
    std::function<void()> enter_;
};

}  // namespace kemless
