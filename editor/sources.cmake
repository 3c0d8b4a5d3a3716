# Sources of the editor windows, compiled into tenvix_ui.
list(APPEND TENVIX_UI_SOURCES
  editor/formhost.h
  editor/formrules.cpp editor/formrules.h
  editor/inview.cpp editor/inview.h
  editor/paymentgrid.cpp editor/paymentgrid.h
)
