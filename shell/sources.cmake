# Sources of the shell windows, compiled into tenvix_ui.
list(APPEND TENVIX_UI_SOURCES
  shell/datepicker.cpp shell/datepicker.h
  shell/datetext.cpp shell/datetext.h
  shell/deletemanydlg.cpp shell/deletemanydlg.h
  shell/services.cpp shell/services.h
)
