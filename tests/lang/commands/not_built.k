// Commands of facilities that are not built yet say so.
addmenu x
submenu x
