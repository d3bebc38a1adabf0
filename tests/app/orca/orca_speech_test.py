#!/usr/bin/env python3
"""What a blind user hears: the real program with Orca 43 on a private desktop.

Starts its own X server (Xvfb, a free display chosen with -displayfd), session
bus, accessibility bus, window manager (openbox), notification area (trayer) and Orca with a speech server
that speaks nothing (nullspeech.py; Orca still logs every utterance in its
debug log). Then, for each row of ROWS, it starts the program with a record
of its own and the clock fixed by libfaketime, presses keys with xdotool and
waits in Orca's log for what must be said, in order, and checks that nothing
in a row's `never` list is said meanwhile.

Adding a window is adding a row: how the program starts (a record or none,
the date), then steps of {keys} -> {what Orca says}. For example:

    Row("version box", STARTED, [
        Step([], says=["ケムレス"]),
        Step(["shift+F10"], says=["コピーする"]),
        Step(["Down", "Down", "Down", "Down", "Return"],
             says=["バージョン情報 ダイアログ ケムレス"], never=["警告"]),
    ])

    orca_speech_test.py PATH/TO/kemless [ROW-NAME-PART...]
    orca_speech_test.py --transcript PATH/TO/kemless [ROW-NAME-PART...]

With --transcript it checks nothing: it presses each row's keys and prints
what Orca said after each step, to hear a window as a user would.

Exits 77 (skipped) when a tool is missing: Xvfb, dbus-daemon, at-spi2-core,
openbox, trayer, xwininfo, orca, xdotool, libfaketime, and the ja_JP locale
source (locales).
"""
import codecs
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

# The helpers shared by the desktop tests; no compiled copy is left in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from kemless_support import end_process, end_process_groups, has_window_manager, wait_for  # noqa: E402
import kemless_records  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SYSTEM_PYTHON = "/usr/bin/python3"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
ORCA = "/usr/bin/orca"
FAKETIME_LIBS = ["/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                 "/usr/lib/faketime/libfaketime.so.1"]
# Generous: a loaded two-core machine runs the program, Orca and Xvfb at once.
SAY_TIMEOUT = 40.0
# The program's refresh comes every 30 seconds.
REFRESH_TIMEOUT = 75.0

PROGRAM = None


# ---------------------------------------------------------------- the table

class Step:
    """Text typed, then keys pressed one after another, then what Orca must
    say, in this order (each a part of one utterance), and what it must not
    say meanwhile."""

    def __init__(self, keys, says, never=(), timeout=SAY_TIMEOUT, typed=""):
        self.keys, self.says, self.never, self.timeout, self.typed = list(keys), list(says), list(never), timeout, typed


class Row:
    """`speed`: the program's clocks, timers too, run this many times as fast
    (from the real time, not `now`): for what only comes after minutes."""

    def __init__(self, name, record, steps, now="2026-05-21 15:00:50", speed=None):
        self.name, self.record, self.steps, self.now, self.speed = name, record, steps, now, speed


def record(quit_moment="2026,5,1,12,0", window_mode=0, started=1):
    return kemless_records.record(quit_moment, started=started, main_corner=(1500, 1500),
                                  window_mode=window_mode, mini_corner=(1500, 1500))


# A quit twenty days and three hours before the fixed clock, 25 a day at 480
# yen, long cigarettes: the lungs are red, the vice-captain has come, the bar
# is at 27 of 33.
STARTED = record()
MINI = record(window_mode=1)
# The same with a plan: two reasons, a trigger with its plan, an alarm and a
# reward (written to plan.ini beside the record).
PLANNED = STARTED + (("reason=家族のため\nreason=走れるように\ntrigger=食後 歯をみがく\n"
                      "alarm=21:30 日月火水木金土 食後 on\nreward=ロードバイク 120000\n").encode(),)
NEW_USER = None

ELAPSED = "卒煙からの日数　０年０ヶ月２０日３時間０分 ラベル"
SETTINGS_INTRO = "設定ウィンドウ ダイアログ 全て半角で記入してください"


def open_menu():
    # The menu opens on its first item; keys for it wait until it is said.
    return Step(["shift+F10"], says=["コピーする"])


def from_menu(ups, item, *opened):
    """The main window's menu item `ups` steps up from the first (round to
    the end), chosen with Enter, and what Orca says as its window comes up."""
    return [Step([], says=[ELAPSED]), open_menu(), Step(["Up"] * ups, says=[item]),
            Step(["Return"], says=list(opened))]


def tabs(*sayings):
    """One Tab for each saying."""
    return [Step(["Tab"], says=[s]) for s in sayings]


def open_settings():
    # Shift+Tab from the first figure goes round to the last button, 設定.
    return [Step(["shift+Tab"], says=["設定 プッシュボタン"]),
            Step(["Return"], says=[SETTINGS_INTRO, "卒煙日の年 テキスト", "2026", "（１９００から２０２６までの半角数字で記入）"])]


def new_user_to_ceremony():
    return [
        Step([], says=["ケムレス初期設定 ダイアログ 初期値を設定してください", "一日あたりに吸っているタバコの本数 テキスト"]),
        Step(["Tab"], typed="20", says=["一箱（２０本）あたりのタバコの金額 テキスト", "（１から２０００の半角数字で記入）"]),
        Step(["Tab"], typed="450", says=["あなたの吸っているタバコのサイズ　スタンダード"]),
        Step(["Down"], says=["あなたの吸っているタバコのサイズ　ロング"]),
        Step(["shift+Tab", "shift+Tab"], says=["一日あたりに吸っているタバコの本数 テキスト", "20",
                                              "（１から２００までの半角数字で記入）"]),
        Step(["Tab", "Tab"], says=["あなたの吸っているタバコのサイズ　ロング"]),
    ]


ROWS = [
    Row("main window: the window, then the first figure", STARTED, [
        Step([], says=["ケムレス", ELAPSED], never=["lunapo"]),
    ]),
    Row("main window: Tab reaches every figure in reading order, then the buttons", STARTED, [
        Step([], says=[ELAPSED]),
        *tabs("延びた寿命　１日と２２時間７分 ラベル",
              "節約できた金額　12075円（節税分 7003円） ラベル",
              "吸わなかった煙草　503本 50.31ｍ パリ凱旋門 ラベル",
              "ステータス　大佐 ラベル",
              "今日の一言　",
              "アヒル副隊長　お祝いに来ました 画像",
              "次のアヒルまで 81 percent",
              "肺の状態　赤 画像",
              "コピ１ プッシュボタン"),
        Step([], says=["コピーする"]),
        *tabs("コピ２ プッシュボタン", "ＢＢＳ プッシュボタン", "設定 プッシュボタン", ELAPSED),
    ]),
    Row("main window: the switch to total days is heard at once, and back", STARTED, [
        Step([], says=[ELAPSED]),
        Step(["space"], says=["卒煙からの日数　２０日３時間０分 ラベル"]),
        Step(["space"], says=[ELAPSED]),
    ]),
    Row("main window: the refresh is heard on the focused line", STARTED, [
        Step([], says=[ELAPSED]),
        Step([], says=["卒煙からの日数　０年０ヶ月２０日３時間１分 ラベル"], timeout=REFRESH_TIMEOUT),
    ]),
    Row("main window: the context menu from the keyboard", STARTED, [
        Step([], says=[ELAPSED]),
        open_menu(),
        # Up from the first item goes round to the last: the windows beside
        # the display, then, past the separator, タスクトレイに入れる.
        Step(["Up"], says=["わたしの卒煙プラン"]),
        Step(["Up", "Up", "Up", "Up"], says=["タスクトレイに入れる"]),
        Step(["Escape"], says=[ELAPSED]),
    ]),
    Row("mini window opened from the menu says its six lines", STARTED, [
        Step([], says=[ELAPSED]),
        open_menu(),
        Step(["Up"] * 7, says=["ヘルプを読む"]),
        Step(["Up"], says=["ミニサイズで運転する"]),
        Step(["Return"], says=["ケムレス　ミニサイズ",
                               "卒煙の記録　ステータス： 大佐\n卒煙日： 2026年 5月 1日\n"
                               "卒煙からの日数： 0年 0ヶ月 20日 3時間 0分"]),
    ]),
    Row("craving helper from the menu: what it is for, the breath as it turns, the countdown, the figures",
        STARTED, [
            *from_menu(4, "吸いたくなったら", "吸いたくなったら ダイアログ 吸いたい気持ちの波は、たいてい数分で引いていきます。",
                       "呼吸のガイド 画像", "吐いて"),
            Step(["Tab"], says=["あと４分"]),
            *tabs("節約できた金額　12075円 ラベル", "延びた寿命　１日と２２時間７分 ラベル",
                  "吸わなかった煙草　503本 ラベル"),
            Step(["Tab"], says=["乗り越えた プッシュボタン"], never=["ペイン"]),
            *tabs("吸ってしまった プッシュボタン", "閉じる プッシュボタン"),
        ]),
    Row("craving helper: 乗り越えた with Enter is heard and counted in the record", STARTED, [
        *from_menu(4, "吸いたくなったら", "吸いたくなったら ダイアログ"),
        Step(["Tab"] * 5, says=["乗り越えた プッシュボタン"]),
        Step(["Return"], says=["よく乗り越えました！\n吸いたい気持ちを乗り越えた１回として記録しました。 ラベル"]),
        Step(["Tab"], says=["これまでの記録 プッシュボタン"]),
        Step(["Return"], says=["これまでの記録", "今回の卒煙で乗り越えた吸いたい気持ち　１回 ラベル"]),
    ]),
    # On a clock that runs twenty times as fast from today: the figures are not
    # the fixed day's.
    Row("craving helper: the end of the five minutes is heard with the keyboard on a button", STARTED, [
        Step([], says=["ケムレス", "卒煙からの日数"]), open_menu(), Step(["Up"] * 4, says=["吸いたくなったら"]),
        Step(["Return"], says=["吸いたくなったら ダイアログ"]),
        Step(["Tab"] * 7, says=["閉じる プッシュボタン"]),
        Step([], says=["５分たちました。吸いたい気持ちは、おさまってきましたか？"], never=["呼吸のガイド"],
             timeout=REFRESH_TIMEOUT),
    ], speed=20),
    Row("craving helper: the breath is said by its word alone", STARTED, [
        *from_menu(4, "吸いたくなったら", "吸いたくなったら ダイアログ", "呼吸のガイド 画像"),
        Step([], says=["吐いて", "吸って"], never=["呼吸のガイド", "あと４分"]),
    ]),
    Row("craving helper: a second craving after an answer starts afresh", STARTED, [
        *from_menu(4, "吸いたくなったら", "吸いたくなったら ダイアログ"),
        Step(["Tab"] * 5, says=["乗り越えた プッシュボタン"]),
        Step(["Return"], says=["よく乗り越えました！"]),
        Step(["Tab"], says=["これまでの記録 プッシュボタン"]),
        Step(["Return"], says=["これまでの記録", "今回の卒煙で乗り越えた吸いたい気持ち　１回 ラベル"]),
        Step(["Tab"] * 8, says=["吸いたくなったら プッシュボタン"]),
        Step(["Return"], says=["吸いたくなったら ダイアログ", "呼吸のガイド 画像"], never=["５分たちました"]),
        # A fresh countdown: "あと５分" or a few seconds less, not the end.
        Step(["Tab"], says=["あと"], never=["５分たちました"]),
        *tabs("節約できた金額", "延びた寿命", "吸わなかった煙草", "乗り越えた プッシュボタン"),
    ]),
    Row("craving helper: 吸ってしまった with Enter is answered kindly", STARTED, [
        *from_menu(4, "吸いたくなったら", "吸いたくなったら ダイアログ"),
        Step(["Tab"] * 6, says=["吸ってしまった プッシュボタン"]),
        Step(["Return"], says=["１本吸ってしまっても、やり直しではありません。"]),
    ]),
    Row("record from the menu: every line, the charts and the triggers in words", STARTED, [
        *from_menu(3, "これまでの記録", "これまでの記録", "今回の卒煙で乗り越えた吸いたい気持ち　０回 ラベル"),
        *tabs("今回の卒煙で吸ってしまった　０回 ラベル", "これまでに乗り越えた吸いたい気持ち　０回 ラベル",
              "これまでに吸ってしまった　０回 ラベル", "いちばん長い卒煙　２０日３時間（今回） ラベル",
              "この２８日間に乗り越えた回数　この２８日間（４月２４日〜５月２１日）に乗り越えた吸いたい気持ちの記録は、"
              "まだありません。 画像",
              # The hours the urges came, and what brought them on: both told in words.
              "吸いたくなった時間帯（この２８日間）　この２８日間に吸いたくなった記録は、まだありません。 画像",
              "この２８日間のきっかけ　この２８日間に選ばれたきっかけは、まだありません。 ラベル"),
        # Kept in the journal for good: no note that it lasts only the run.
        Step(["Tab"], says=["吸いたくなったら プッシュボタン"], never=["終了するまで"]),
        *tabs("閉じる プッシュボタン"),
    ]),
    Row("health timeline from the menu: every step, the bar to the next, the source", STARTED, [
        *from_menu(2, "回復のあゆみ", "回復のあゆみ", "１０の変化のうち５つに到達しました。次の「１〜９ヶ月後」まで、あと１０日"),
        *tabs("２０分後　血圧と脈拍が正常に近づき、手足が温かくなってきます。　２０２６年５月１日１２時２０分に到達 ラベル",
              "８時間後　血液中の一酸化炭素が減り、酸素が増えてきます。　２０２６年５月１日２０時０分に到達 ラベル",
              "２４時間後　心臓発作が起こる可能性が下がり始めます。　２０２６年５月２日１２時０分に到達 ラベル",
              "数日後　味や香りが、よくわかるようになってきます。　２０２６年５月４日１２時０分に到達 ラベル",
              "２週間〜３ヶ月後　血液の巡りがよくなり、心臓や血管の働きが改善します。　２０２６年５月１５日１２時０分に到達",
              "１〜９ヶ月後　せきが改善し、スタミナが戻ってきます。　あと１０日",
              "「１〜９ヶ月後」までの道のり 36 percent",
              "１年後　肺の働きの改善がみられます（軽度・中等度の慢性閉塞性肺疾患のある人）。　あと１１ヶ月１０日",
              "２〜４年後　心筋梗塞などの虚血性心疾患のリスクが、吸い続けた場合より約３５％下がります。　あと１年１１ヶ月１０日",
              "５〜９年後　肺がんのリスクが、吸い続けた場合よりはっきり下がります。　あと４年１１ヶ月１０日",
              "１０〜１５年後　さまざまな病気のリスクが、たばこを吸わない人に近づきます。　あと９年１１ヶ月１０日",
              "出典: 厚生労働省 e-ヘルスネット「禁煙の効果」 ラベル",
              "閉じる プッシュボタン"),
    ]),
    Row("plan window from the menu: its title, then a reason line", PLANNED, [
        *from_menu(1, "わたしの卒煙プラン", "わたしの卒煙プラン", "やめる理由１ テキスト", "家族のため"),
        Step(["Tab"], says=["やめる理由２ テキスト", "走れるように"]),
    ]),
    Row("plan window: a trigger with its plan", PLANNED, [
        *from_menu(1, "わたしの卒煙プラン", "わたしの卒煙プラン"),
        Step(["Tab"] * 10, says=["きっかけ　食後 チェックボックス checked"]),
        Step(["Tab"], says=["食後に吸いたくなったら テキスト", "歯をみがく"]),
    ]),
    Row("plan window: the alarm row and the reward", PLANNED, [
        *from_menu(1, "わたしの卒煙プラン", "わたしの卒煙プラン"),
        Step(["shift+Tab"], says=["閉じる プッシュボタン"]),
        Step(["shift+Tab"], says=["保存 プッシュボタン"]),
        Step(["shift+Tab"], says=["ごほうび『ロードバイク』（120,000円）まで、あと107,925円です（１０％）。 ラベル"]),
        Step(["shift+Tab"], says=["ごほうびの値段（円） 120,000円 スピンボタン"]),
        Step(["shift+Tab"], says=["ごほうびの名前 テキスト", "ロードバイク"]),
        Step(["shift+Tab"], says=["つらい時間のお知らせ５ チェックボックス not checked"]),
        # The rows turned off are one stop each; the one turned on, every control.
        Step(["shift+Tab"] * 3, says=["つらい時間のお知らせ２ チェックボックス not checked"]),
        Step(["shift+Tab"], says=["お知らせ１のきっかけ コンボボックス", "食後"]),
        Step(["shift+Tab"], says=["お知らせ１　土曜日 チェックボックス checked"]),
    ]),
    Row("craving helper with a plan: a reason, a trigger picked and its plan", PLANNED, [
        *from_menu(4, "吸いたくなったら", "吸いたくなったら ダイアログ"),
        Step(["Tab"] * 5, says=["やめる理由：家族のため"]),
        Step(["Tab"], says=["きっかけは？（えらばなくてもかまいません）　食後"]),
        Step(["space"], says=["食後に吸いたくなったら → 歯をみがく ラベル"]),
        Step(["Tab"], says=["乗り越えた プッシュボタン"]),
    ]),
    Row("main window: hiding in the notification area is said", STARTED, [
        Step([], says=[ELAPSED]),
        open_menu(),
        Step(["Up"] * 5, says=["タスクトレイに入れる"]),
        Step(["Return"], says=["タスクトレイに入れました"]),
    ]),
    Row("main window: back from the mini window the keyboard is where it was", STARTED, [
        Step([], says=[ELAPSED]),
        Step(["shift+Tab", "shift+Tab", "shift+Tab"], says=["コピ２ プッシュボタン"]),
        open_menu(),
        Step(["Up"] * 7, says=["ヘルプを読む"]),
        Step(["Up", "Return"], says=["ケムレス　ミニサイズ"]),
        Step(["shift+F10"], says=["コピーする"]),
        Step(["Up"] * 7, says=["標準サイズで運転する"]),
        Step(["Return"], says=["ケムレス", "コピ２ プッシュボタン"], never=["延びた寿命"]),
    ]),
    Row("main window: a copy says so", STARTED, [
        Step([], says=[ELAPSED]),
        Step(["shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab"], says=["コピ１ プッシュボタン"]),
        Step(["Return"], says=["コピーしました"]),
        Step(["Tab", "space"], says=["コピ２ プッシュボタン", "コピーしました"]),
    ]),
    Row("mini window at start", MINI, [
        Step([], says=["ケムレス　ミニサイズ", "卒煙の記録　ステータス： 大佐"]),
    ]),
    Row("version box informs", STARTED, [
        Step([], says=[ELAPSED]),
        open_menu(),
        Step(["Down", "Down", "Down", "Down"], says=["バージョン情報"]),
        Step(["Return"], says=["バージョン情報 ダイアログ ケムレス\nバージョン　１．２０", "OK プッシュボタン"],
             never=["警告"]),
    ]),
    Row("help: the first line, then the lines under the caret", STARTED, [
        Step([], says=[ELAPSED]),
        open_menu(),
        Step(["Up"] * 7, says=["ヘルプを読む"]),
        Step(["Return"], says=["ケムレスヘルプ", "ヘルプの本文", "＝＝ウインドウ右上のＸボタンを押すとヘルプが終了します＝＝"]),
        Step(["Down", "Down"], says=["◆　ケムレスヘルプメニュー"]),
        Step(["Down", "Down"], says=["１．ソフトの概要"]),
    ]),
    Row("settings: a box says its whole value, its label and its hint", STARTED, [
        Step([], says=[ELAPSED]),
        *open_settings(),
        *tabs("卒煙日の月 テキスト", "卒煙日の日 テキスト", "卒煙日の時 テキスト", "卒煙日の分 テキスト",
              "一日あたりの本数 テキスト"),
        # Name, value and hint once: the text Tab selects is not said again as
        # a selection, nor "unselected" on the way out.
        Step(["Tab"], says=["一箱（２０本）の金額 テキスト", "480", "（１から２０００までの半角数字で記入）"],
             never=["selected", "Text unselected"]),
        Step(["Tab"], says=["サイズ　ロング"]),
        Step(["Up"], says=["サイズ　スタンダード"]),
        Step(["Tab"], says=["税率（％） テキスト", "58", "（０から１００までの半角数字で記入）"],
             never=["Text unselected"]),
        Step(["Tab"], says=["ステータスの選択 コンボボックス", "ソルジャー"]),
        Step(["Down"], says=["コスモ"]),
        Step(["Tab"], says=["テキストの色　白 プッシュボタン"]),
        Step(["Tab"], says=["背景の色　赤28、緑3、青141 プッシュボタン"]),
        Step(["Tab"], says=["箱数表示 チェックボックス"]),
        Step(["Tab"], says=["copy+　OFF"]),
    ]),
    Row("settings: a refused entry is heard as the box shows it", STARTED, [
        Step([], says=[ELAPSED]),
        *open_settings(),
        *tabs("卒煙日の月", "卒煙日の日", "卒煙日の時", "卒煙日の分"),
        Step(["Tab"], says=["一日あたりの本数 テキスト"]),
        Step(["Return"], typed="300", says=["有効範囲内にある半角数字を入れてください", "OK プッシュボタン"]),
        Step(["Return"], says=["一日あたりの本数 テキスト", "300"]),
    ]),
    Row("settings: Enter on キャンセル cancels", STARTED, [
        Step([], says=[ELAPSED]),
        *open_settings(),
        Step(["shift+Tab"], says=["キャンセル プッシュボタン"]),
        Step(["Return"], says=["ケムレス", ELAPSED], never=["有効範囲内"]),
    ]),
    Row("notice: its text when it opens, then line by line", STARTED, [
        Step([], says=[ELAPSED]),
        *open_settings(),
        Step(["shift+Tab", "shift+Tab", "shift+Tab"], says=["ヘルプ プッシュボタン"]),
        Step(["shift+Tab"], says=["ケムレス.com プッシュボタン"]),
        Step(["Return"], says=["スマートフォン版のお知らせ ダイアログ ★ケムレス モバイル",
                               "ケムレスどっとこむへＧＯ！ プッシュボタン"]),
        Step(["Tab"], says=["お知らせ", "★ケムレス モバイル　～スマートフォンでも卒煙応援～"]),
        Step(["Down", "Down"], says=["１．卒煙からの日数を、外出先でもすぐ確認"]),
        Step(["Escape"], says=[SETTINGS_INTRO]),
    ]),
    Row("first-run setup and the ceremony", NEW_USER, [
        *new_user_to_ceremony(),
        Step(["Return"], says=["卒煙の開始 ダイアログ ようこそケムレスへ これでタバコとは、永遠のサヨナラとなります。 "
                               "今から卒煙を開始しますか？ どうしますか？", "卒煙を開始する プッシュボタン"], never=["(CR)"]),
        Step(["Tab"], says=["もう少し考える プッシュボタン"]),
        # Declined, it says what happens next before the program ends.
        Step(["Return"], says=["卒煙はまだ開始していません。ケムレスを終了します。"]),
    ]),
    Row("the Christmas ceremony, read by flat review without its pictures", NEW_USER, [
        *new_user_to_ceremony(),
        Step(["Return"], says=["卒煙の開始 ダイアログ ようこそケムレスへ"]),
        Step(["Return"], says=["卒煙の開始 ダイアログ クリスマス限定スペシャルメッセージ メリークリスマス "
                               "聖なる日の卒煙が成功しますように！"]),
        # Orca's flat review, line by line from the button up to the top.
        Step(["KP_8"], says=["卒煙を開始する"], never=["(CR)"]),
        Step(["KP_7"], says=["成功しますように！"], never=["きらきら"]),
        Step(["KP_7"], says=["聖なる日の卒煙が"], never=["きらきら"]),
    ], now="2026-12-25 10:00:50"),
    Row("the Christmas Eve ceremony, its pictures silent", NEW_USER, [
        *new_user_to_ceremony(),
        Step(["Return"], says=["卒煙の開始 ダイアログ ようこそケムレスへ"]),
        Step(["Return"], says=["卒煙の開始 ダイアログ クリスマスイブ限定スペシャルメッセージ 聖なる日の卒煙が成功しますように！",
                               "卒煙を開始する プッシュボタン"], never=["きらきら", "(CR)"]),
    ], now="2026-12-24 10:00:50"),
]


# ------------------------------------------------------------ the machinery

def skip(why):
    print(f"skipped: {why}")
    sys.exit(77)


def need_tools():
    missing = [p for p in (SYSTEM_PYTHON, BUS_LAUNCHER, ORCA) if not os.path.exists(p)]
    missing += [p for p in ("Xvfb", "dbus-daemon", "dbus-send", "openbox", "trayer", "xwininfo", "xdotool",
                            "localedef")
                if shutil.which(p) is None]
    if not any(os.path.exists(p) for p in FAKETIME_LIBS):
        missing.append("libfaketime")
    if not os.path.exists("/usr/share/i18n/locales/ja_JP"):
        missing.append("the ja_JP locale source (locales)")
    if subprocess.run([SYSTEM_PYTHON, "-c", "import orca, pyatspi"], capture_output=True).returncode != 0:
        missing.append("orca's Python modules")
    if missing:
        skip("missing " + ", ".join(missing))


def wait_until(what, probe, timeout):
    """What `probe` returns once it is something true; fails, naming `what`,
    after `timeout` seconds."""
    found = wait_for(probe, timeout, step=0.1)
    if not found:
        raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
    return found


class SpeechLog:
    """Orca's debug log, read as the utterances it spoke. The log grows by
    megabytes in a run and is looked at ten times a second while a step
    waits for its phrase, so only what was added since the last look is
    read and parsed."""

    # 'text'{voice}, 'text' {voice} or, in flat review, 'text'[{voice}].
    UTTERANCE = re.compile(r"SPEECH OUTPUT: '(.*?)'\s*(?:\[?\{[^}]*\}\]?)?$", re.S)
    # Each entry of the log begins with its time; an utterance may span
    # lines, Orca indenting its continuation lines.
    ENTRY = re.compile(r"\n(?=\d\d:\d\d:\d\d\.\d+ - )")

    def __init__(self, path):
        self.path = path
        self.offset = 0
        # As a file opened as text reads it: line ends made \n, also across reads.
        self.decoder = io.IncrementalNewlineDecoder(codecs.getincrementaldecoder("utf-8")(errors="replace"),
                                                    translate=True)
        self.said = []  # from the entries that are complete
        self.tail = ""  # the last entry, which more lines may still join

    @classmethod
    def utterance(cls, entry):
        if " - SPEECH OUTPUT: '" not in entry:
            return None
        m = cls.UTTERANCE.search(re.sub(r"\n {18}", "\n", entry.strip()))
        return m.group(1) if m else None

    def utterances(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                added = f.read()
        except FileNotFoundError:
            return []
        self.offset += len(added)
        entries = self.ENTRY.split(self.tail + self.decoder.decode(added))
        # Every entry but the last is whole once another has begun after it.
        self.tail = entries.pop()
        for entry in entries:
            said = self.utterance(entry)
            if said is not None:
                self.said.append(said)
        last = self.utterance(self.tail)
        return self.said + ([last] if last is not None else [])


class Desktop:
    """Xvfb, a session bus, the accessibility bus, openbox and Orca, all of
    this test's own."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="kemless-orca-")
        self.processes = []
        self.env = dict(os.environ)
        for k in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                  "XAUTHORITY", "LD_PRELOAD", "FAKETIME"):
            self.env.pop(k, None)
        self.log = os.path.join(self.dir, "orca.log")
        self.speech = SpeechLog(self.log)

    def spawn(self, args, env=None, **kw):
        p = subprocess.Popen(args, env=env or self.env, stdin=subprocess.DEVNULL, start_new_session=True, **kw)
        self.processes.append(p)
        return p

    def start(self):
        read, write = os.pipe()
        # -noreset: a client that leaves (a probe) never resets the server
        # under the next one.
        self.spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "1366x768x24", "-nolisten", "tcp",
                    "-noreset"],
                   pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            display = f.readline().strip()
        if not display:
            raise AssertionError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, text=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        self.spawn([BUS_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A program started before the accessibility bus answers never joins it.
        wait_until("the accessibility bus", lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True).returncode == 0, 60)
        self.spawn(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A window mapped while openbox is still starting is never managed.
        wait_until("openbox", lambda: has_window_manager(self.env), 60)
        # A notification area, for the window to hide in.
        self.spawn(["trayer", "--edge", "top", "--align", "right"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
        wait_until("trayer", lambda: '"panel"' in subprocess.run(
            ["xwininfo", "-root", "-tree"], env=self.env, capture_output=True, text=True).stdout, 60)
        self.start_orca()

    def start_orca(self):
        """Orca in Japanese with the null speech server, its debug log written
        line by line."""
        prefs, home, locales = (os.path.join(self.dir, d) for d in ("prefs", "home", "locale"))
        for d in (prefs, home, locales):
            os.makedirs(d)
        shutil.copy(os.path.join(HERE, "user-settings.conf"), prefs)
        env = dict(self.env, PYTHONPATH=HERE, PYTHONDONTWRITEBYTECODE="1", HOME=home, LANG="ja_JP.UTF-8",
                   LC_ALL="ja_JP.UTF-8")
        have_ja = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout
        if not re.search(r"^ja_JP\.utf-?8$", have_ja, re.M | re.I):
            subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", os.path.join(locales, "ja_JP.UTF-8")],
                           capture_output=True)
            env["LOCPATH"] = locales
        # A copy of Debian's orca: its debug file written line by line (it is
        # opened block-buffered), so the log can be read as Orca speaks; and
        # beside any other Orca of this user (another test run, another
        # desktop), which Orca would refuse, under a name that no other
        # Orca's check of the same kind takes for its own.
        with open(ORCA, encoding="utf-8") as f:
            script = f.read()
        for old, new in (("open(args.debug_file, 'w')", "open(args.debug_file, 'w', buffering=1)"),
                         ("    if otherOrcas():\n", "    if False:\n"),
                         ("setProcessName('orca')", "setProcessName('orca-for-test')")):
            if old not in script:
                skip(f"{ORCA} is not the Orca this test knows (no {old.strip()!r})")
            script = script.replace(old, new)
        orca = os.path.join(self.dir, "orca")
        with open(orca, "w", encoding="utf-8") as f:
            f.write(script)
        self.spawn([SYSTEM_PYTHON, orca, "-u", prefs, f"--debug-file={self.log}"], env=env,
                   stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.dir, "orca.err"), "w"))
        try:
            wait_until("Orca", lambda: any("Screen reader on" in u for u in self.speech.utterances()), 90)
        except AssertionError:
            with open(os.path.join(self.dir, "orca.err"), errors="replace") as f:
                raise AssertionError("Orca did not start:\n" + f.read()[-3000:])

    def keys(self, keys):
        # A moment between the keys of a step, for Orca to follow each; after
        # the last, the step waits for what must be said instead.
        for i, key in enumerate(keys):
            if i:
                time.sleep(0.25)
            subprocess.run(["xdotool", "key", key], env=self.env, check=True)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "120", text], env=self.env, check=True)

    def stop(self):
        end_process_groups(self.processes)
        shutil.rmtree(self.dir, ignore_errors=True)


class Program:
    """The real program with a record of its own, on a fixed clock."""

    def __init__(self, desktop, row):
        self.dir = tempfile.mkdtemp(prefix="kemless-orca-row-", dir=desktop.dir)
        data = os.path.join(self.dir, "kemlessdata")
        os.makedirs(data)
        if row.record is not None:
            for name, content in zip(("initial.ini", "option.ini", "plan.ini"), row.record):
                with open(os.path.join(data, name), "wb") as f:
                    f.write(content)
        run = os.path.join(self.dir, "run")
        os.makedirs(run, mode=0o700)
        env = dict(desktop.env, HOME=self.dir, XDG_RUNTIME_DIR=run, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   LANG="C.UTF-8",
                   LD_PRELOAD=next(p for p in FAKETIME_LIBS if os.path.exists(p)),
                   # The clock starts at `now` and runs; timers keep the real one.
                   FAKETIME="@" + row.now, FAKETIME_DONT_FAKE_MONOTONIC="1",
                   # A sanitizer build must not mind the preloaded library,
                   # and its leak report is no finding here.
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0:detect_leaks=0")
        if row.speed:
            env["FAKETIME"] = f"+0 x{row.speed}"
            del env["FAKETIME_DONT_FAKE_MONOTONIC"]
        self.process = desktop.spawn([PROGRAM, "--data-dir", self.dir], env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        # The window manager gives a new window the keyboard; made sure of
        # here, since a window without it is never spoken.
        try:
            found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(self.process.pid)],
                                   env=desktop.env, capture_output=True, text=True, timeout=60)
        except subprocess.TimeoutExpired:
            self.stop()
            raise AssertionError(f"{row.name}: the program showed no window")
        windows = found.stdout.split()
        if windows:
            subprocess.run(["xdotool", "windowactivate", "--sync", windows[-1]], env=desktop.env,
                           capture_output=True, timeout=30)

    def stop(self):
        end_process(self.process, grace=15)


def run_row(desktop, row):
    heard_before = len(desktop.speech.utterances())
    program = Program(desktop, row)
    # What each step waits for is looked for after what the step before it
    # heard: an utterance may come before its step's keys (a button's use
    # is said just after its name).
    position = heard_before
    try:
        for step in row.steps:
            start = position
            if step.typed:
                desktop.type(step.typed)
            desktop.keys(step.keys)
            for want in step.says:
                def found():
                    heard = desktop.speech.utterances()
                    for i in range(position, len(heard)):
                        if want in heard[i]:
                            return i + 1
                    return None
                try:
                    position = wait_until(f"{want!r}", found, step.timeout)
                except AssertionError:
                    heard = desktop.speech.utterances()[heard_before:]
                    raise AssertionError(f"{row.name}: after {step.keys or 'starting'} Orca never said {want!r}; "
                                         f"it said:\n  " + "\n  ".join(repr(u) for u in heard[-25:]))
            for unwanted in step.never:
                said = [u for u in desktop.speech.utterances()[start:position] if unwanted in u]
                if said:
                    raise AssertionError(f"{row.name}: Orca said {unwanted!r}: {said}")
    finally:
        program.stop()


def transcribe_row(desktop, row):
    """What Orca says at each step of `row`, without checking it."""
    print(f"== {row.name}", flush=True)
    start = len(desktop.speech.utterances())
    program = Program(desktop, row)
    try:
        for step in row.steps:
            if step.typed:
                desktop.type(step.typed)
            desktop.keys(step.keys)
            # Until Orca has been quiet for two seconds (a refresh may be up
            # to half a minute away).
            deadline = time.monotonic() + step.timeout
            quiet_since, heard = time.monotonic(), start
            while time.monotonic() < deadline:
                now = len(desktop.speech.utterances())
                if now != heard:
                    heard, quiet_since = now, time.monotonic()
                elif heard > start and time.monotonic() - quiet_since > 2.0:
                    break
                elif step.timeout <= SAY_TIMEOUT and time.monotonic() - quiet_since > 4.0:
                    break
                time.sleep(0.1)
            said = desktop.speech.utterances()[start:]
            start += len(said)
            keys = " ".join(([f"type {step.typed!r}"] if step.typed else []) + step.keys) or "(start)"
            print(f"   {keys}: " + (" | ".join(u.replace("\n", " / ") for u in said) or "(nothing)"), flush=True)
    finally:
        program.stop()


def main():
    global PROGRAM
    args = sys.argv[1:]
    transcript = bool(args) and args[0] == "--transcript"
    if transcript:
        args = args[1:]
    if not args:
        sys.exit(__doc__)
    PROGRAM = os.path.abspath(args[0])
    only = args[1:]
    need_tools()
    desktop = Desktop()
    failures = []
    try:
        desktop.start()
        for row in ROWS:
            if only and not any(part in row.name for part in only):
                continue
            began = time.monotonic()
            if transcript:
                transcribe_row(desktop, row)
                continue
            try:
                run_row(desktop, row)
                print(f"ok    {row.name} ({time.monotonic() - began:.1f} s)", flush=True)
            except AssertionError as e:
                print(f"FAIL  {row.name}\n{e}", flush=True)
                failures.append(row.name)
    finally:
        if os.environ.get("KEMLESS_KEEP_ORCA_LOG"):
            shutil.copy(desktop.log, os.environ["KEMLESS_KEEP_ORCA_LOG"])
        desktop.stop()
    if failures:
        print(f"{len(failures)} row(s) failed: " + ", ".join(failures))
        sys.exit(1)


if __name__ == "__main__":
    main()
