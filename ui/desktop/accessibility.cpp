#include "desktop/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVariant>
#include <algorithm>
#include <limits>

namespace kemless {
namespace {

// Which interface a widget gets, kept on the widget itself.
const char* const kKind = "kemlessAccessible";
const char* const kRole = "kemlessAccessibleRole";
const char* const kRevision = "kemlessSpokenRevision";
const char* const kCaret = "kemlessChoiceCaret";
const char* const kEntrySelection = "kemlessEntrySelection";
const char* const kEntryWatched = "kemlessEntryWatched";
enum class Kind { Decorative = 1, Spoken, Dialog, StatusBar, Notice };
const char* const kAnnouncer = "announcer";
const char* const kAnnouncement = "announcement";

Kind KindOf(const QObject* object) { return static_cast<Kind>(object->property(kKind).toInt()); }

// Not shown to a screen reader: no name, and never showing.
class SilentAccessible : public QAccessibleWidget {
public:
    explicit SilentAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Client) {}
    QString text(QAccessible::Text) const override { return {}; }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
};

// A control with a changing spoken name; its value counts the changes (see
// the header for why).
class SpokenAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    SpokenAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QVariant currentValue() const override { return SpokenRevision(widget()); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return std::numeric_limits<int>::max(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 0; }
};

// Marks the box while its text is all selected because Tab came to it; any
// other selection, an edit, or leaving ends it.
class EntrySelection : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = static_cast<QLineEdit*>(watched);
        if (event->type() == QEvent::FocusIn) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            box->setProperty(kEntrySelection, reason == Qt::TabFocusReason ||
                                                  reason == Qt::BacktabFocusReason ||
                                                  reason == Qt::ShortcutFocusReason);
        } else if (event->type() == QEvent::FocusOut) {
            box->setProperty(kEntrySelection, false);
        }
        return false;
    }
};

void WatchEntrySelection(QLineEdit* box) {
    if (box->property(kEntryWatched).toBool()) return;
    box->setProperty(kEntryWatched, true);
    box->installEventFilter(new EntrySelection(box));
    const auto end = [box] {
        if (box->hasFocus() && box->selectedText() == box->text()) return;
        box->setProperty(kEntrySelection, false);
    };
    QObject::connect(box, &QLineEdit::selectionChanged, box, end);
    QObject::connect(box, &QLineEdit::textEdited, box, [box] { box->setProperty(kEntrySelection, false); });
}

// A text box. What Qt's own interface does, except that the whole text is
// one run of (no) attributes: Orca builds what it speaks from those runs.
//
// The whole text that Tab selects on the way in is not told as a selection:
// Orca would say the value a second time, "selected", and "Text unselected."
// on the way out. Typing still replaces it, as the eye sees; a selection the
// user makes is told as it is.
class BoxAccessible : public QAccessibleWidget,
                      public QAccessibleTextInterface,
                      public QAccessibleEditableTextInterface {
public:
    explicit BoxAccessible(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) {
        WatchEntrySelection(box);
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value && shown()) return box()->text();
        return QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        if (!box()->isReadOnly()) box()->setText(text);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = box()->isReadOnly();
        s.editable = !box()->isReadOnly();
        s.passwordEdit = box()->echoMode() != QLineEdit::Normal;
        s.selectableText = true;
        return s;
    }

    QString text(int startOffset, int endOffset) const override {
        if (!shown() || startOffset > endOffset) return {};
        return box()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(box()->text().size()); }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        (void)offset;
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    int selectionCount() const override { return told() ? 1 : 0; }
    void selection(int index, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (index != 0 || !told()) return;
        *startOffset = box()->selectionStart();
        *endOffset = box()->selectionEnd();
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int index) override {
        if (index == 0) box()->deselect();
    }
    void setSelection(int index, int startOffset, int endOffset) override {
        if (index == 0) box()->setSelection(startOffset, endOffset - startOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override {
        if (!shown()) return none(startOffset, endOffset);
        return QAccessibleTextInterface::textBeforeOffset(atCursor(offset), type, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override {
        if (!shown()) return none(startOffset, endOffset);
        return QAccessibleTextInterface::textAfterOffset(atCursor(offset), type, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override {
        if (!shown()) return none(startOffset, endOffset);
        return QAccessibleTextInterface::textAtOffset(atCursor(offset), type, startOffset, endOffset);
    }
    QRect characterRect(int offset) const override {
        const QString ch = text(offset, offset + 1);
        if (ch.isEmpty()) return {};
        // Where the box lays out its text, as far as its public face tells;
        // the boxes are short enough never to scroll.
        QStyleOptionFrame option;
        option.initFrom(box());
        QRect contents = box()->style()->subElementRect(QStyle::SE_LineEditContents, &option, box());
        contents = contents.marginsRemoved(box()->textMargins());
        const QFontMetrics fm(box()->font());
        const int x = contents.left() + 2 + fm.horizontalAdvance(box()->text().left(offset));
        const int y = contents.top() + (contents.height() - fm.height()) / 2;
        return QRect(box()->mapToGlobal(QPoint(x, y)), QSize(fm.horizontalAdvance(ch), fm.height()));
    }
    int offsetAtPoint(const QPoint& point) const override {
        return box()->cursorPositionAt(box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        box()->setCursorPosition(endIndex);
        box()->setCursorPosition(startIndex);
    }

    void deleteText(int startOffset, int endOffset) override {
        if (!box()->isReadOnly()) box()->setText(box()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString& text) override {
        if (!box()->isReadOnly()) box()->setText(box()->text().insert(offset, text));
    }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        if (!box()->isReadOnly())
            box()->setText(box()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit* box() const { return static_cast<QLineEdit*>(widget()); }
    bool told() const { return box()->hasSelectedText() && !box()->property(kEntrySelection).toBool(); }
    // A password would not be read out.
    bool shown() const { return box()->echoMode() == QLineEdit::Normal; }
    // -2 stands for the cursor position.
    int atCursor(int offset) const { return offset == -2 ? cursorPosition() : offset; }
    static QString none(int* startOffset, int* endOffset) {
        *startOffset = *endOffset = -1;
        return {};
    }
};

// A list to choose from (not to type in). Qt 6.4 tells Orca neither the
// chosen item of a closed list nor a change of it with the arrow keys: here
// the chosen item is the list's text, and a change moves the caret, after
// which Orca reads the line under it when an arrow key moved it.
class ChoiceAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ChoiceAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {
        if (list->property(kCaret).isValid()) return;
        list->setProperty(kCaret, 0);
        QObject::connect(list, &QComboBox::currentIndexChanged, list, [list] {
            const int caret = list->property(kCaret).toInt() == 0 ? 1 : 0;
            list->setProperty(kCaret, caret);
            QAccessibleTextCursorEvent moved(list, caret);
            QAccessible::updateAccessibility(&moved);
        });
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        if (own.isEmpty() && (t == QAccessible::Name || t == QAccessible::Value)) return chosen();
        return own;
    }
    // Opened by a screen reader's command, as Qt's own list does.
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction())
            list()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = list()->view()->isVisible();
        s.collapsed = !s.expanded;
        s.hasPopup = true;
        return s;
    }

    QString text(int startOffset, int endOffset) const override {
        return startOffset > endOffset ? QString() : chosen().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(chosen().size()); }
    int cursorPosition() const override {
        return std::min(list()->property(kCaret).toInt(), characterCount());
    }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return 0; }
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint&) const override { return 0; }
    void scrollToSubstring(int, int) override {}

private:
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
    QString chosen() const { return list()->currentText(); }
};

// The status bar that holds the announcements. Orca says what a
// notification sits in before the notification itself (the dialog with its
// whole introduction, every time); this bar answers that it sits in the
// application, and Orca passes it by, so the words are said alone.
class AnnouncerAccessible : public QAccessibleWidget {
public:
    explicit AnnouncerAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
    QString text(QAccessible::Text) const override { return {}; }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    switch (KindOf(object)) {
        case Kind::Decorative: return new SilentAccessible(widget);
        case Kind::Spoken:
            return new SpokenAccessible(widget,
                                        static_cast<QAccessible::Role>(object->property(kRole).toInt()));
        case Kind::Dialog: return new QAccessibleWidget(widget, QAccessible::Dialog);
        case Kind::StatusBar: return new AnnouncerAccessible(widget);
        case Kind::Notice: return new QAccessibleWidget(widget, QAccessible::Notification);
    }
    if (auto* box = qobject_cast<QLineEdit*>(object)) return new BoxAccessible(box);
    if (auto* list = qobject_cast<QComboBox*>(object); list != nullptr && !list->isEditable())
        return new ChoiceAccessible(list);
    return nullptr;
}

void SetKind(QWidget* widget, Kind kind) {
    InstallAccessibility();
    if (KindOf(widget) == kind) return;
    widget->setProperty(kKind, static_cast<int>(kind));
    // An interface made before goes (Qt makes one as soon as a widget's text
    // is set), so the next one is made anew, of this kind.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(widget)));
}

}  // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void DescribeWindow(QWidget* window, WindowKind kind, const QString& name, const QString& intro) {
    InstallAccessibility();
    if (kind == WindowKind::Dialog) SetKind(window, Kind::Dialog);
    window->setAccessibleName(name);
    if (!intro.isEmpty()) window->setAccessibleDescription(intro);
}

void MakeSpoken(QWidget* control, int role) {
    SetKind(control, Kind::Spoken);
    control->setProperty(kRole, role);
}

void SetSpokenName(QWidget* control, const QString& name) {
    if (control->accessibleName() == name) return;
    // One count for all controls: Orca speaks a value only when it differs
    // from the last value it spoke, whichever control that was.
    static int changes = 0;
    control->setProperty(kRevision, ++changes);
    control->setAccessibleName(name);
    QAccessibleValueChangeEvent changed(control, changes);
    QAccessible::updateAccessibility(&changed);
}

int SpokenRevision(const QWidget* control) { return control->property(kRevision).toInt(); }

void MarkDecorative(QWidget* widget) { SetKind(widget, Kind::Decorative); }

void Announce(QWidget* window, const QString& text) {
    window = window->window();
    auto* bar = window->findChild<QWidget*>(QLatin1String(kAnnouncer), Qt::FindDirectChildrenOnly);
    if (bar == nullptr) {
        // A pixel in the corner that draws nothing and takes no click nor
        // the keyboard.
        bar = new QWidget(window);
        bar->setObjectName(QLatin1String(kAnnouncer));
        bar->setAttribute(Qt::WA_TransparentForMouseEvents);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setGeometry(0, 0, 1, 1);
        SetKind(bar, Kind::StatusBar);
        auto* notice = new QWidget(bar);
        notice->setObjectName(QLatin1String(kAnnouncement));
        notice->setAttribute(Qt::WA_TransparentForMouseEvents);
        notice->setFocusPolicy(Qt::NoFocus);
        notice->setGeometry(0, 0, 1, 1);
        SetKind(notice, Kind::Notice);
        notice->hide();
        bar->show();
        bar->lower();
    }
    auto* notice = bar->findChild<QWidget*>(QLatin1String(kAnnouncement));
    // Shown anew, so that the same words said twice are heard twice.
    notice->hide();
    notice->setAccessibleName(text);
    notice->show();
}

bool DesktopAsksForLessMotion() {
    static const bool less = [] {
        const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
        // Qt's interface effects say something only where a desktop's own
        // theme sets them (KDE's); elsewhere they are off for want of one.
        if (desktop.contains(QLatin1String("KDE"), Qt::CaseInsensitive))
            return !QApplication::isEffectEnabled(Qt::UI_General);
        // GNOME keeps it in its settings.
        if (!desktop.contains(QLatin1String("GNOME"), Qt::CaseInsensitive)) return false;
        const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
        if (gsettings.isEmpty()) return !QApplication::isEffectEnabled(Qt::UI_General);
        QProcess ask;
        ask.start(gsettings, {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"),
                              QStringLiteral("enable-animations")});
        if (!ask.waitForFinished(1000)) {
            ask.kill();
            ask.waitForFinished(1000);
            return false;
        }
        return ask.readAllStandardOutput().trimmed() == "false";
    }();
    return less;
}

QString LastAnnouncement(const QWidget* window) {
    const auto* notice = window->window()->findChild<QWidget*>(QLatin1String(kAnnouncement));
    return notice != nullptr ? notice->accessibleName() : QString();
}

}  // namespace kemless
