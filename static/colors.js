.pragma library

// The application's palette; documents refer to colours only by these names.
var c_master_background = "#CEC9DD"
var c_background = "#E5E6E8"
var c_purple = "#2F2A3E"
var c_dark_purple = "#39334E"
var c_darker_purple = "#353047"
var c_dark_red = "#C72444"
var c_grayish_white = "#F7F7F7"
var c_darker_white = "#ededed"
var c_light_purple = "#7266A3"
var c_nav_font = "#696281"
var c_form_font = "#333333"
var c_form_popup_blue = "#333"
var c_form_font_darker = "#000000"
var c_material_yellow = "#ffb300"
var c_material_cyan = "#00acc1"
