# The folders under src/ are modules in layers, each one library target parcelo_<module>
# ("/" as "_"). A module links only modules of a lower layer and peers of its own layer
# that do not link it back; tests/install/check-layers.sh holds their includes to the
# same rule.
#
#   parcelo_module(<module> LAYER <n> [DEPENDS <module>...])
# declares the target parcelo_<module> (created before) a module of layer <n> and links
# it with the modules it uses. parcelo_check_modules() then looks at every module's
# links, however they were made, and stops the configuration at one that breaks the rule.

function(parcelo_module_target module out)
    string(REPLACE "/" "_" target "parcelo_${module}")
    set(${out} ${target} PARENT_SCOPE)
endfunction()

function(parcelo_module module)
    cmake_parse_arguments(M "" "LAYER" "DEPENDS" ${ARGN})
    if(NOT DEFINED M_LAYER OR M_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "parcelo_module(${module} LAYER <n> [DEPENDS <module>...]): ${ARGN}")
    endif()
    parcelo_module_target(${module} target)
    if(NOT TARGET ${target})
        message(FATAL_ERROR "parcelo_module(${module}): no target ${target}")
    endif()
    set_property(GLOBAL APPEND PROPERTY PARCELO_MODULES ${module})
    set_property(GLOBAL PROPERTY PARCELO_MODULE_${target} ${module})
    set_property(GLOBAL PROPERTY PARCELO_LAYER_${target} ${M_LAYER})
    foreach(dependency IN LISTS M_DEPENDS)
        parcelo_module_target(${dependency} dependency_target)
        target_link_libraries(${target} PUBLIC ${dependency_target})
    endforeach()
endfunction()

# The modules `target` links (its own and its interface links, any kind).
function(parcelo_module_links target out)
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    set(found "")
    foreach(link IN LISTS links interface_links)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
        get_property(module GLOBAL PROPERTY PARCELO_MODULE_${link})
        if(module AND NOT link STREQUAL target)
            list(APPEND found ${link})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES found)
    set(${out} ${found} PARENT_SCOPE)
endfunction()

function(parcelo_check_modules)
    get_property(modules GLOBAL PROPERTY PARCELO_MODULES)
    set(errors "")
    foreach(module IN LISTS modules)
        parcelo_module_target(${module} target)
        get_property(layer GLOBAL PROPERTY PARCELO_LAYER_${target})
        parcelo_module_links(${target} links)
        foreach(link IN LISTS links)
            get_property(other GLOBAL PROPERTY PARCELO_MODULE_${link})
            get_property(other_layer GLOBAL PROPERTY PARCELO_LAYER_${link})
            if(other_layer GREATER layer)
                string(APPEND errors "\n  ${target} (${module}, layer ${layer}) links ${link} (${other}, layer ${other_layer}), a higher layer")
            elseif(other_layer EQUAL layer AND module STRLESS other)
                parcelo_module_links(${link} back)
                if(target IN_LIST back)
                    string(APPEND errors "\n  ${target} and ${link} (both layer ${layer}) link each other")
                endif()
            endif()
        endforeach()
    endforeach()
    if(errors)
        message(FATAL_ERROR "Modules linked against their layers:${errors}\n"
            "A module links only lower layers and peers of its own layer that do not link it back (cmake/Modules.cmake).")
    endif()
endfunction()
