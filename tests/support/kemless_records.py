"""Records for the scripts that start the real program, as records.h is for
the C++ tests: the bytes of the two record files of a quit, written the way
the program writes them (CR LF, Shift_JIS)."""

# Quit on 1 November 2026 at 9:00, 25 a day at 480 yen, cigarettes of 100 mm.
QUIT = "2026,11,1,9,0"


def initial_bytes(quit_moment=QUIT):
    """initial.ini of a quit at `quit_moment` ("year,month,day,hour,minute")."""
    return f"{quit_moment},25,480,100\r\n".encode("ascii")


def option_bytes(started=1, main_corner=(300, 300), window_mode=0, mini_corner=(0, 0)):
    """option.ini: the quit `started` (1) or not yet (0), the main window's
    corner, the window shown (0 the main window, 1 the mini window) and the
    mini window's corner, with the soldier theme."""
    return (f'{started},58,5,0,5,1,{main_corner[0]},{main_corner[1]},9241372,16777215,'
            f'"kemless.example.jp/",{window_mode},{mini_corner[0]},{mini_corner[1]},"ソルジャー"\r\n'
            ).encode("shift_jis")


def record(quit_moment=QUIT, **option):
    """(initial.ini, option.ini) of a started quit; `option` as option_bytes."""
    return initial_bytes(quit_moment), option_bytes(**option)


# The started record most tests begin with: the main window on the screen.
RECORD_INITIAL, RECORD_OPTION = record()
