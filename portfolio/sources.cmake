# Sources of the portfolio windows, compiled into tenvix_ui.
list(APPEND TENVIX_UI_SOURCES
  portfolio/addbonddlg.cpp portfolio/addbonddlg.h
  portfolio/digitsedit.cpp portfolio/digitsedit.h
  portfolio/entrylayout.cpp portfolio/entrylayout.h
  portfolio/portfoliodlg.cpp portfolio/portfoliodlg.h
  portfolio/updatebonddlg.cpp portfolio/updatebonddlg.h
)
