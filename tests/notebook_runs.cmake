# Steps shared by the scripts that run a notebook with "kalix -xrun".

# A fresh folder WORK with its settings folder and a copy of NOTEBOOK; sets
# name, stem and source (the notebook's folder). A ".settings" file beside
# the notebook is the settings file of its home.
macro(prepare_notebook_run)
  get_filename_component(name ${NOTEBOOK} NAME)
  get_filename_component(stem ${NOTEBOOK} NAME_WE)
  get_filename_component(source ${NOTEBOOK} DIRECTORY)
  file(REMOVE_RECURSE ${WORK})
  file(MAKE_DIRECTORY ${WORK}/config/kalix)
  file(COPY ${NOTEBOOK} DESTINATION ${WORK})
  if(EXISTS ${source}/${stem}.settings)
    file(COPY_FILE ${source}/${stem}.settings ${WORK}/config/kalix/settings)
  endif()
endmacro()

# Fails unless the PNG file is shown at its own size.
function(expect_png_size file width height)
  file(READ ${file} header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 w)
  string(SUBSTRING "${header}" 8 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  if(NOT w EQUAL width OR NOT h EQUAL height)
    message(FATAL_ERROR "${file} is ${w}x${h}, shown at ${width}x${height}")
  endif()
endfunction()
