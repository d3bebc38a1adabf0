// --summary and --short print what the copy buttons put on the clipboard:
// for a table of records and minutes, the printed text is the clipboard
// text of a running program at that minute, with LF line ends; a record
// that is missing, unreadable or not started is one error line, and
// nothing is ever written.
#include <sys/stat.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>

#include "companion/summary_output.h"
#include "plan/plan_file.h"
#include "plan/reward.h"
#include "recovery/attempt_lines.h"
#include "support/session_fixture.h"

using namespace kemless;

namespace {

std::string AsPrinted(const QString& clipboard) {
    QString text = clipboard;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return (text + QLatin1Char('\n')).toStdString();
}

}  // namespace

class SummaryOutputTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SessionFixture> fx;

private slots:
    void init() { fx = std::make_unique<SessionFixture>(); }
    void cleanup() { fx.reset(); }

    void printedAsTheCopyButtonsCopy_data() {
        QTest::addColumn<int>("cigarettesPerDay");
        QTest::addColumn<int>("cigaretteSize");
        QTest::addColumn<int>("copyPlusMode");
        QTest::addColumn<int>("showBoxCount");
        QTest::addColumn<QString>("statusMode");
        QTest::addColumn<int>("minutesAfterQuit");
        QTest::addRow("the quit minute") << 20 << 85 << 0 << 0 << "ソルジャー" << 0;
        QTest::addRow("day 1, short cigarettes, plus mode 1") << 10 << 50 << 1 << 0 << "コスモ" << 1440;
        QTest::addRow("day 39, long, plus mode 2, packs")
            << 25 << 100 << 2 << 1 << "会社モード" << 39 * 1440 + 525;
        QTest::addRow("a pack's worth exactly") << 20 << 85 << 0 << 1 << "ソルジャー" << 1440;
        QTest::addRow("a year and a month on a journey")
            << 40 << 85 << 1 << 0 << "日本旅行" << 396 * 1440 + 59;
        QTest::addRow("eleven years") << 1 << 85 << 0 << 0 << "ソルジャー" << 4018 * 1440;
        QTest::addRow("a landmark with an ampersand") << 20 << 85 << 0 << 0 << "ソルジャー" << 181 * 1440;
    }
    void printedAsTheCopyButtonsCopy() {
        QFETCH(int, cigarettesPerDay);
        QFETCH(int, cigaretteSize);
        QFETCH(int, copyPlusMode);
        QFETCH(int, showBoxCount);
        QFETCH(QString, statusMode);
        QFETCH(int, minutesAfterQuit);
        InitialSettings in = SampleInitial();
        in.cigarettesPerDay = cigarettesPerDay;
        in.cigaretteSize = cigaretteSize;
        OptionSettings o;
        o.copyPlusMode = copyPlusMode;
        o.showBoxCount = showBoxCount;
        o.statusMode = statusMode.toStdString();
        fx->writeStarted(in, o);
        // The minute as the calendar has it, through the program's own refresh.
        const int64_t at = int64_t{9} * 60 + minutesAfterQuit;
        CalendarMoment now{2026, 11, 1, 0, 0};
        int64_t day = at / 1440;
        now.hour = static_cast<int32_t>(at % 1440 / 60);
        now.minute = static_cast<int32_t>(at % 60);
        static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        while (true) {
            const int length =
                now.month == 2 && now.year % 4 == 0 && (now.year % 100 != 0 || now.year % 400 == 0)
                    ? 29
                    : kDays[now.month - 1];
            if (now.day + day <= length) break;
            day -= length - now.day + 1;
            now.day = 1;
            if (++now.month == 13) {
                now.month = 1;
                ++now.year;
            }
        }
        now.day += static_cast<int32_t>(day);
        fx->clock.moment = now;
        const QByteArray initialBefore = fx->bytes("initial.ini");
        const QByteArray optionBefore = fx->bytes("option.ini");

        const SummaryOutput summary = MakeSummaryOutput(SummaryKind::Summary, fx->store(), now, 0);
        const SummaryOutput shortText = MakeSummaryOutput(SummaryKind::Short, fx->store(), now, 99);
        QCOMPARE(fx->bytes("initial.ini"), initialBefore);
        QCOMPARE(fx->bytes("option.ini"), optionBefore);

        MainWindow* w = fx->start().mainWindow();
        QVERIFY(w != nullptr);
        w->button("copySummaryButton")->click();
        QCOMPARE(QString::fromStdString(summary.out),
                 QString::fromStdString(AsPrinted(fx->desktop.clipboard)));
        w->button("copyShortButton")->click();
        QCOMPARE(QString::fromStdString(shortText.out),
                 QString::fromStdString(AsPrinted(fx->desktop.clipboard)));
        QCOMPARE(summary.exitCode, 0);
        QVERIFY(summary.error.empty());
        QCOMPARE(QString::fromStdString(summary.out).count(QLatin1Char('\n')), 6);
        QVERIFY(!QString::fromStdString(summary.out).contains(QLatin1Char('\r')));
        QCOMPARE(QString::fromStdString(shortText.out).count(QLatin1Char('\n')), 1);

        // The JSON holds the same texts, and figures that agree with them.
        const SummaryOutput json = MakeSummaryOutput(SummaryKind::Json, fx->store(), now, 0);
        QCOMPARE(json.exitCode, 0);
        QVERIFY(json.out.ends_with("}\n"));
        QCOMPARE(QString::fromStdString(json.out).count(QLatin1Char('\n')), 1);
        QJsonParseError parseError;
        const QJsonObject j =
            QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &parseError).object();
        QVERIFY2(parseError.error == QJsonParseError::NoError, qPrintable(parseError.errorString()));
        const auto text = [&](const char* key) { return j.value(QLatin1String(key)).toString() + '\n'; };
        QCOMPARE(text("summary"), QString::fromStdString(summary.out));
        QCOMPARE(text("tooltip"), QString::fromStdString(summary.out));
        QCOMPARE(text("short"), QString::fromStdString(shortText.out));
        const SummaryOutput compact = MakeSummaryOutput(SummaryKind::Compact, fx->store(), now, 0);
        QCOMPARE(text("text"), QString::fromStdString(compact.out));
        QCOMPARE(j.value("minutes").toInteger(), minutesAfterQuit);
        QCOMPARE(j.value("totalDays").toInteger(), minutesAfterQuit / 1440);
        QVERIFY(j.value("money").isDouble() && j.value("cigarettes").isDouble() &&
                j.value("metres").isDouble());
        const QString moneyLine = QStringLiteral("節約できた金額： %1円（節税分 %2円）")
                                      .arg(j.value("money").toInteger())
                                      .arg(j.value("tax").toInteger());
        QVERIFY2(text("summary").contains(moneyLine), qPrintable(moneyLine));
        QVERIFY(text("summary").contains(j.value("landmark").toString()));
        QVERIFY(
            text("summary").startsWith(QStringLiteral("ステータス： ") + j.value("title").toString() + '\n'));
        QCOMPARE(j.value("elapsed").toObject().value("text").toString(),
                 text("short")
                     .section(QStringLiteral("。"), copyPlusMode == 0 ? 1 : 2, -1)
                     .section(QStringLiteral("経過しました"), 0, 0));

        // For a markup widget: "&", "<" and ">" escaped, in the texts shown
        // and nowhere else.
        const SummaryOutput markedJson = MakeSummaryOutput(SummaryKind::Json, fx->store(), now, 0, true);
        const QJsonObject m = QJsonDocument::fromJson(QByteArray::fromStdString(markedJson.out)).object();
        const auto escaped = [](QString t) {
            return t.toHtmlEscaped().replace(QStringLiteral("&quot;"), "\"");
        };
        QCOMPARE(m.value("tooltip").toString(), escaped(j.value("tooltip").toString()));
        QCOMPARE(m.value("text").toString(), escaped(j.value("text").toString()));
        QCOMPARE(m.value("landmark"), j.value("landmark"));
        QCOMPARE(
            QString::fromStdString(MakeSummaryOutput(SummaryKind::Summary, fx->store(), now, 0, true).out),
            escaped(QString::fromStdString(summary.out)));
        if (minutesAfterQuit == 181 * 1440) {
            QCOMPARE(j.value("landmark").toString(), QStringLiteral("AT&T Corporate Center"));
            QVERIFY(m.value("tooltip").toString().contains(QStringLiteral("AT&amp;T Corporate Center")));
        }
    }

    void theTextsInFull() {
        InitialSettings in = SampleInitial();
        in.cigarettesPerDay = 25;
        in.packPrice = 480;
        in.cigaretteSize = 100;
        fx->writeStarted(in, {});
        const CalendarMoment now{2026, 12, 10, 17, 45};
        QCOMPARE(MakeSummaryOutput(SummaryKind::Summary, fx->store(), now, 0).out,
                 std::string("ステータス： 大将\n"
                             "卒煙日： 2026年 11月 1日\n"
                             "卒煙からの日数： 0年 1ヶ月 9日 8時間 45分\n"
                             "延びた寿命： 3日と18時間12分\n"
                             "節約できた金額： 23618円（節税分 13698円）\n"
                             "節煙本数： 984本 98.41ｍ ナイアガラの滝・最大落差\n"));
        QCOMPARE(MakeSummaryOutput(SummaryKind::Short, fx->store(), now, 0).out,
                 std::string("２０２６年１１月１日に卒煙。０年１ヶ月９日８時間４５分経過しました。"
                             "節約できた金額は２３６１８円です。節煙本数は９８４本で、これは９８．４１ｍの"
                             "ナイアガラの滝・最大落差に匹敵します。ステータスは大将。\n"));
    }

    // --json: the reward the plan works toward, as the plan window counts it;
    // no key without one, and plan.ini is only read.
    void theJsonHasTheRewardWhenThePlanNamesOne() {
        fx->writeStarted(SampleInitial(), {});
        const CalendarMoment now{2026, 12, 10, 12, 0};
        const auto json = [&] {
            return QJsonDocument::fromJson(QByteArray::fromStdString(
                                               MakeSummaryOutput(SummaryKind::Json, fx->store(), now, 0).out))
                .object();
        };
        QVERIFY(!json().contains(QStringLiteral("reward")));
        Plan plan;
        plan.reward = Reward{"ロード\"バイク", 120000};
        const QByteArray planBytes = QByteArray::fromStdString(WritePlan(plan));
        QFile f(fx->dir.filePath(QStringLiteral("kemlessdata/plan.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(planBytes);
        f.close();
        const QJsonObject j = json();
        const QJsonObject reward = j.value(QStringLiteral("reward")).toObject();
        QCOMPARE(reward.value("name").toString(), QStringLiteral("ロード\"バイク"));
        QCOMPARE(reward.value("price").toInteger(), 120000);
        const RewardProgress expected =
            ComputeRewardProgress(plan, j.value("money").toDouble(), SampleInitial().quit);
        QCOMPARE(reward.value("saved").toInteger(), expected.saved);
        QCOMPARE(reward.value("text").toString(), QString::fromStdString(expected.words));
        QCOMPARE(fx->bytes("plan.ini"), planBytes);
    }

    // --export csv: every urge, slip and attempt of the journal and its
    // archive, the user's words quoted as a spreadsheet reads them, and
    // nothing else; nothing written. A folder never used gives the header.
    void theJournalAsCsv() {
        QCOMPARE(MakeJournalCsv(fx->store()).out, std::string("日時,種類,きっかけ,卒煙開始日時\r\n"));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(fx->store().dataFolder())));
        fx->writeStarted(SampleInitial(), {});
        auto line = [](const AttemptEvent& e) { return FormatJournalLine(AttemptJournalLine(e)); };
        const std::string archive =
            line({{2025, 12, 31, 23, 59}, AttemptEventKind::AttemptStart, {2025, 12, 1, 8, 0}});
        const std::string journal =
            line({{2026, 11, 2, 8, 0}, AttemptEventKind::UrgePassed, {}, "食後, 夜"}) +
            "2026-11-02 08:30 notice title 3 quit=2026-11-01T09:00\n" +
            line({{2026, 11, 3, 9, 0}, AttemptEventKind::Slip, {}, "彼の\"一本\""}) + "damaged line\n" +
            line({{2026, 11, 4, 22, 0}, AttemptEventKind::UrgePassed, {}, "二行\nの=きっかけ"}) +
            line({{2026, 11, 5, 7, 0}, AttemptEventKind::UrgePassed, {}, "=1+1"});
        for (const auto& [name, bytes] : {std::pair{"journal-2025.txt", archive}, {"journal.txt", journal}}) {
            QFile f(fx->dir.filePath(QStringLiteral("kemlessdata/") + QLatin1String(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::fromStdString(bytes));
        }
        const SummaryOutput csv = MakeJournalCsv(fx->store());
        QCOMPARE(csv.exitCode, 0);
        QCOMPARE(QString::fromStdString(csv.out),
                 QStringLiteral("日時,種類,きっかけ,卒煙開始日時\r\n"
                                "2025-12-31 23:59,卒煙の始まり,,2025-12-01 08:00\r\n"
                                "2026-11-02 08:00,乗り越えた,\"食後, 夜\",\r\n"
                                "2026-11-03 09:00,吸ってしまった,\"彼の\"\"一本\"\"\",\r\n"
                                "2026-11-04 22:00,乗り越えた,\"二行\nの=きっかけ\",\r\n"
                                "2026-11-05 07:00,乗り越えた,'=1+1,\r\n"));
        QCOMPARE(fx->bytes("journal.txt"), QByteArray::fromStdString(journal));

        // A journal it may not read is one line and exit 1.
        QFile::remove(fx->dir.filePath(QStringLiteral("kemlessdata/journal.txt")));
        QVERIFY(
            ::mkfifo(fx->dir.filePath(QStringLiteral("kemlessdata/journal.txt")).toLocal8Bit().constData(),
                     0600) == 0);
        const SummaryOutput refused = MakeJournalCsv(fx->store());
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.out.empty());
        QVERIFY2(
            QString::fromStdString(refused.error).startsWith(QStringLiteral("kemless: 記録を読めません: ")),
            refused.error.c_str());
    }

    void aRecordItCannotUseIsOneLine_data() {
        QTest::addColumn<QByteArray>("initialBytes");
        QTest::addColumn<QByteArray>("optionBytes");
        QTest::addColumn<QString>("said");
        const QByteArray initial = "2026,11,1,9,0,25,480,100\r\n";
        const QByteArray started =
            "1,58,5,0,5,1,-300,-300,9241372,16777215,\"a.jp/\",0,0,0,\"\x83\x5c\x83\x8b\"\r\n";
        QTest::addRow("no record") << QByteArray() << QByteArray() << "記録がありません";
        QTest::addRow("no option.ini") << initial << QByteArray() << "記録がありません";
        QTest::addRow("initial.ini cut short") << QByteArray("2026,11") << started << "記録を読めません";
        QTest::addRow("option.ini not numbers") << initial << QByteArray("x,y,z\r\n") << "記録を読めません";
        QTest::addRow("not started")
            << initial
            << QByteArray("0,58,5,0,5,1,0,0,9241372,16777215,\"a.jp/\",0,0,0,\"\x83\x5c\x83\x8b\"\r\n")
            << "まだ卒煙を始めていません";
    }
    void aRecordItCannotUseIsOneLine() {
        QFETCH(QByteArray, initialBytes);
        QFETCH(QByteArray, optionBytes);
        QFETCH(QString, said);
        SettingsStore store = fx->store();
        if (!initialBytes.isEmpty() || !optionBytes.isEmpty()) store.ensureDataFolder();
        auto put = [](const std::string& path, const QByteArray& bytes) {
            if (bytes.isEmpty()) return;
            QFile f(QString::fromStdString(path));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        put(store.initialPath(), initialBytes);
        put(store.optionPath(), optionBytes);
        for (SummaryKind kind :
             {SummaryKind::Summary, SummaryKind::Short, SummaryKind::Compact, SummaryKind::Json}) {
            const SummaryOutput out = MakeSummaryOutput(kind, store, {2026, 12, 10, 12, 0}, 0);
            QCOMPARE(out.exitCode, 1);
            QVERIFY(out.out.empty());
            const QString error = QString::fromStdString(out.error);
            QVERIFY2(error.startsWith(QStringLiteral("kemless: ")) && error.contains(said),
                     qPrintable(error));
            QVERIFY(!error.contains(QLatin1Char('\n')));
        }
        // Nothing made: not even the data folder of a missing record.
        QCOMPARE(fx->bytes("initial.ini"), initialBytes);
        QCOMPARE(fx->bytes("option.ini"), optionBytes);
        if (initialBytes.isEmpty() && optionBytes.isEmpty())
            QVERIFY(!QFileInfo::exists(QString::fromStdString(store.dataFolder())));
    }
};

QTEST_MAIN(SummaryOutputTest)
#include "summary_output_qtest.moc"
