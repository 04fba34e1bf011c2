# The library is built in layers, one folder of src/ each, every layer a static library that
# names the layers it builds on. Those names are also the only folders its sources may include
# from; scripts/check_layers.py reads them back and refuses any other include.
#
# A layer may own public headers, the files of include/tolvex/ that an installed copy carries;
# they may include only public headers of the layer and of the layers below it.
#
#   tolvex_layer(<folder> SOURCES <files> DEPENDS <layers> [LIBRARIES <other targets>]
#                [PUBLIC_HEADERS <names in include/tolvex/>])
function(tolvex_layer folder)
  cmake_parse_arguments(LAYER "" "" "SOURCES;DEPENDS;LIBRARIES;PUBLIC_HEADERS" ${ARGN})
  add_library(tolvex_${folder} STATIC ${LAYER_SOURCES})
  set_target_properties(tolvex_${folder} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_include_directories(tolvex_${folder} PUBLIC ${TOLVEX_SOURCE_ROOT}/src ${TOLVEX_SOURCE_ROOT}/include)
  set(dependencies)
  foreach(layer IN LISTS LAYER_DEPENDS)
    list(APPEND dependencies tolvex_${layer})
  endforeach()
  target_link_libraries(tolvex_${folder} PUBLIC ${dependencies} ${LAYER_LIBRARIES})
  # The layers still implement the older entries their public headers mark deprecated.
  target_compile_definitions(tolvex_${folder} PRIVATE TOLVEX_IMPLEMENTATION)
  tolvex_layer_rule(${folder} ${LAYER_DEPENDS})
  tolvex_public_headers(${folder} ${LAYER_PUBLIC_HEADERS})
  if(TARGET tolvex_layer_check)
    add_dependencies(tolvex_${folder} tolvex_layer_check)
  endif()
endfunction()

# Records the layers a folder builds on, for folders whose targets are made otherwise.
function(tolvex_layer_rule folder)
  string(REPLACE ";" " " dependencies "${ARGN}")
  set_property(GLOBAL APPEND PROPERTY TOLVEX_LAYER_RULES "${folder}: ${dependencies}")
endfunction()

# Records the public headers a layer owns.
function(tolvex_public_headers folder)
  foreach(header IN LISTS ARGN)
    set_property(GLOBAL APPEND PROPERTY TOLVEX_LAYER_RULES "tolvex/${header}: ${folder}")
  endforeach()
endfunction()

# Writes the recorded layers to a file, one "folder: layers..." line each, and one
# "tolvex/header: layer" line for each public header.
function(tolvex_write_layer_rules file)
  get_property(rules GLOBAL PROPERTY TOLVEX_LAYER_RULES)
  string(REPLACE ";" "\n" rules "${rules}")
  file(WRITE ${file} "${rules}\n")
endfunction()
