# The layers of the program are build targets, and a folder's headers are reachable only through
# its own target. Each folder is linked into an include root of its own in the build tree
# (build/include/<folder>/<folder> -> <source>/<folder>); a target puts the roots of its own folder
# on its public include path and gets those of the layers below by linking them. So an include of
# a folder above one's layer fails to compile, instead of merely being frowned upon.

# tavlex_folder_root(FOLDER OUT): the include root that holds FOLDER alone (FOLDER may be nested,
# as print/core: its root holds print/core and nothing else of print/).
function(tavlex_folder_root folder out)
    string(REPLACE "/" "_" name ${folder})
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    if(NOT EXISTS ${root}/${folder})
        get_filename_component(parent ${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    set(${out} ${root} PARENT_SCOPE)
endfunction()

# tavlex_expose_folder(TARGET FOLDER [PRIVATE]): TARGET's sources, and with PUBLIC (the default)
# everything that links TARGET, may include "FOLDER/...".
function(tavlex_expose_folder target folder)
    set(scope PUBLIC)
    if(ARGC GREATER 2)
        set(scope ${ARGV2})
    endif()
    tavlex_folder_root(${folder} root)
    target_include_directories(${target} ${scope} ${root})
endfunction()

# tavlex_layer_probe(TARGET HEADER): a test that compiles `#include "HEADER"` with TARGET's
# include rules and passes only when the compiler cannot find the header. It proves that the
# layer TARGET cannot reach HEADER's folder. The probe builds in this build tree, one at a time.
function(tavlex_layer_probe target header)
    string(MAKE_C_IDENTIFIER "${target}_${header}" id)
    set(source ${CMAKE_BINARY_DIR}/layer_probes/${id}.cpp)
    file(WRITE ${source}.in "#include \"${header}\"\n")
    configure_file(${source}.in ${source} COPYONLY)
    add_library(probe_${id} OBJECT EXCLUDE_FROM_ALL ${source})
    target_link_libraries(probe_${id} PRIVATE ${target})
    set_target_properties(probe_${id} PROPERTIES AUTOMOC OFF)
    add_test(NAME layering_${id}
        COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target probe_${id})
    string(REPLACE "." "\\." pattern "${header}")
    set_tests_properties(layering_${id} PROPERTIES
        LABELS layering
        RESOURCE_LOCK tavlex_build_tree
        PASS_REGULAR_EXPRESSION "${pattern}: No such file|'${pattern}' file not found")
endfunction()
