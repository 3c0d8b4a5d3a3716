# Sources of the analysis windows, compiled into tenvix_ui.
list(APPEND TENVIX_UI_SOURCES
  analysis/analysisdlg.cpp analysis/analysisdlg.h
)
