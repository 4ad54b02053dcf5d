# The screen the window tests draw on offscreen: 1600 x 1000 pixels, on which
# the window's design size fits (the platform's own offscreen screen is smaller).
set(CELLWATCH_TEST_SCREEN
    "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_LIST_DIR}/screen-1600x1000.json")
