// The focus ring style on every kind of control the windows and dialogs
// use: a control that has the keyboard shows a ring in the highlight colour
// along its edge, at scale 1 and 2, and the same control without the
// keyboard shows none.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>
#include <functional>

#include "support/grab.h"
#include "windows/widgets.h"

using namespace kemless;

using MakeControl = std::function<QWidget*(QWidget*)>;
Q_DECLARE_METATYPE(MakeControl)

class FocusRingTest : public QObject {
    Q_OBJECT
private slots:
    void ringShowsOnlyWithTheKeyboard_data() {
        QTest::addColumn<MakeControl>("make");
        QTest::addColumn<qreal>("scale");
        // On the control alone, or for the whole application.
        QTest::addColumn<bool>("appWide");
        const std::pair<const char*, MakeControl> kinds[] = {
            {"push button", [](QWidget* p) { return new QPushButton(QStringLiteral("設定する"), p); }},
            {"option button", [](QWidget* p) { return new QRadioButton(QStringLiteral("普通"), p); }},
            {"check box", [](QWidget* p) { return new QCheckBox(QStringLiteral("箱数"), p); }},
            {"text box", [](QWidget* p) { return new QLineEdit(QStringLiteral("20"), p); }},
            {"combo box",
             [](QWidget* p) {
                 auto* c = new QComboBox(p);
                 c->addItem(QStringLiteral("ソルジャー"));
                 return c;
             }},
        };
        for (const auto& [name, make] : kinds) {
            for (const qreal scale : {1.0, 2.0})
                QTest::addRow("%s at scale %g", name, scale) << make << scale << false;
            QTest::addRow("%s, application style", name) << make << 1.0 << true;
        }
    }
    void ringShowsOnlyWithTheKeyboard() {
        QFETCH(MakeControl, make);
        QFETCH(qreal, scale);
        QFETCH(bool, appWide);
        if (appWide) QApplication::setStyle(new FocusRingStyle);
        FocusRingStyle onTheControl;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        QWidget* control = make(&window);
        auto* other = new QPushButton(QStringLiteral("ほか"), &window);
        layout->addWidget(control);
        layout->addWidget(other);
        if (!appWide) control->setStyle(&onTheControl);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto grab = [control, scale] { return GrabAtScale(control, scale); };
        const QColor ring = control->palette().color(QPalette::Active, QPalette::Highlight);
        const QPoint edge(qRound(control->width() * scale / 2), qRound(scale));

        other->setFocus(Qt::TabFocusReason);
        QVERIFY(!control->hasFocus());
        const QImage without = grab();
        control->setFocus(Qt::TabFocusReason);
        QVERIFY(control->hasFocus());
        const QImage with = grab();
        QCOMPARE(with.pixelColor(edge), ring);
        QVERIFY(without.pixelColor(edge) != ring);
    }
};

QTEST_MAIN(FocusRingTest)
#include "focus_ring_qtest.moc"
