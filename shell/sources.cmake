# Sources of the shell windows, compiled into tenvix_ui.
list(APPEND TENVIX_UI_SOURCES
  shell/aboutdlg.cpp shell/aboutdlg.h
  shell/barlayout.cpp shell/barlayout.h
  shell/busycursor.h
  shell/datepicker.cpp shell/datepicker.h
  shell/datetext.cpp shell/datetext.h
  shell/deletemanydlg.cpp shell/deletemanydlg.h
  shell/fileio.cpp shell/fileio.h
  shell/instance.cpp shell/instance.h
  shell/mainframe.cpp shell/mainframe.h
  shell/mylistview.cpp shell/mylistview.h
  shell/priceupdatedlg.cpp shell/priceupdatedlg.h
  shell/recentfiles.cpp shell/recentfiles.h
  shell/services.cpp shell/services.h
  shell/settings.cpp shell/settings.h
  shell/statusindicators.cpp shell/statusindicators.h
  shell/tenvixapp.cpp shell/tenvixapp.h
  shell/tenvixdoc.cpp shell/tenvixdoc.h
)
