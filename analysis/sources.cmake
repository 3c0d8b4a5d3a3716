# Sources of the analysis windows, compiled into tenvix_ui.
list(APPEND TENVIX_UI_SOURCES
)
