# QUILLON_FIRST_PAINT ends quillon-config after its first painted window, whichever view that
# is: the main window on a keypad, the message box of an empty bus, or the splash. A probe that
# waits on a view the benchmark cannot close hangs the benchmark; TIMEOUT catches that.
set(first_paint_views
  "keypad|--simulate|--no-splash"
  "absent|--simulate=absent=1|--no-splash"
  "splash|--simulate")
foreach(view ${first_paint_views})
  string(REPLACE "|" ";" words "${view}")
  list(POP_FRONT words name)
  add_test(NAME gui_app_first_paint_${name} COMMAND quillon-config ${words}
    --settings ${CMAKE_CURRENT_BINARY_DIR}/first_paint_${name}.ini)
  set_tests_properties(gui_app_first_paint_${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLON_FIRST_PAINT=1"
    PASS_REGULAR_EXPRESSION "first_paint_ms [0-9]+\\.[0-9]+" TIMEOUT 60)
endforeach()
