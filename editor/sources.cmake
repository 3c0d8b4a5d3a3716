# Sources of the editor windows, compiled into tenvix_ui.
list(APPEND TENVIX_UI_SOURCES
)
