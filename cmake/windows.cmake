# Windows: the screensaver itself, the preview host, and the Win32 tests.
enable_language(RC)

set(NIGHTLOOM_WIN_SOURCES
    app/application.cpp
    app/frame_loop.cpp
    app/run_modes.cpp
    app/desktop_snapshot.cpp
    app/render_setup.cpp
    app/settings_io.cpp
    app/frame_clock_win.cpp
    common/os_version.cpp
    common/system_folders.cpp
    common/delayed_dlls.cpp
    render/render_window.cpp
    render/text_font.cpp
    scenes/scene_holder.cpp
    scenes/scene_factory.cpp
    scenes/kalender.cpp
    scenes/sterne_gl.cpp
    scenes/nebel_gl.cpp
    scenes/butterfly_gl.cpp
    scenes/wuerfel_gl.cpp
    scenes/outline_font.cpp
    image/image_holder.cpp
    image/default_image.cpp
    image/dib_section.cpp
    image/texture_loader.cpp
    image/desktop_capture.cpp
    settings/registry_store.cpp
    settings/settings_io.cpp
    settings/display_mode_catalogue.cpp
    ui/settings_dialog.cpp
    ui/display_page.cpp
    ui/application_page.cpp
    ui/about_dialog.cpp
)

if(MINGW)
    # Static runtime: the program then imports Windows system DLLs only.
    set(NIGHTLOOM_STATIC_LINK -static -static-libgcc -static-libstdc++)
    set(NIGHTLOOM_WARNINGS -Wall -Wextra -Werror)
    # The same commit gives the same bytes in any folder at any time: no link
    # time in the PE header, and the folders recorded as ".". The build folder
    # comes last: it may lie inside the source folder, and GCC takes the last
    # matching map (clang the longest).
    add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
    add_link_options(-Wl,--no-insert-timestamp)
    # GNU ld reserves 2 MiB of stack for the main thread and lld 1 MiB: both
    # compilers' programs get the same.
    add_link_options(-Wl,--stack,0x200000)
    # Hardened code: a canary in every function that keeps an array or hands out
    # a local's address, and checked copies wherever the size is known. The
    # canary's check comes from GCC's libssp, linked statically like the rest
    # of the runtime, so no DLL is added. Load anywhere (with the relocation
    # table), in all of the 64-bit space, and never run data: both linkers do
    # this by default now, said here so that it stays.
    add_compile_options(-fstack-protector-strong)
    add_compile_definitions(_FORTIFY_SOURCE=2)
    add_link_options(-fstack-protector-strong -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
elseif(MSVC)
    set(NIGHTLOOM_WARNINGS /W4 /utf-8)
endif()

set(NIGHTLOOM_WIN_LIBS opengl32 glu32 gdi32 user32 advapi32 comctl32 comdlg32 uxtheme
    ole32 oleaut32 uuid version shell32)

# DLLs that are loaded at their first call instead of at process start, by
# the entry function's rules: from the system folder only. OpenGL and GLU are
# no KnownDLLs, so bound at start Windows would take them from the saver's own
# folder, before any of the program's code runs. The others serve only the
# settings dialog, the About box or picture decoding, which under Wine saves
# about a fifth of a second before the first frame. Each entry names the DLL and
# the functions the program calls in it, or "*" for every function its import
# library lists; a call to a function not listed binds to the DLL at start.
# The loader writes each address into the import table at the first call: the
# frame loop calls through the table as before.
set(NIGHTLOOM_DELAYED_DLLS
    "opengl32.dll:*"
    "glu32.dll:*"
    "comdlg32.dll:ChooseColorW,GetOpenFileNameW"
    "shell32.dll:ShellExecuteW"
    "uxtheme.dll:EnableThemeDialogTexture"
    "version.dll:GetFileVersionInfoSizeW,GetFileVersionInfoW,VerQueryValueW"
    "ole32.dll:CreateStreamOnHGlobal"
    "oleaut32.dll:OleCreatePictureIndirect,OleLoadPicture,OleSavePictureFile,SysAllocString,SysFreeString")
set(NIGHTLOOM_DELAYED_LIBS)
set(NIGHTLOOM_DELAY_LINK_OPTIONS)
if(MINGW)
    # The delay-load helper writes each address it resolves into the program's
    # own import address table, so that table must lie in writable memory.
    # lld builds the delay-load tables itself, the table in .data as MSVC does,
    # from short import libraries made by llvm-dlltool. GNU ld has no such
    # option: GNU dlltool's delay-import libraries carry the tables in .idata,
    # which GNU ld keeps writable; lld makes .idata read-only, so those
    # libraries are for GNU ld alone. Their stubs lose floating-point
    # arguments, which the program works around (NIGHTLOOM_GNU_DELAY_STUBS).
    include(CheckLinkerFlag)
    check_linker_flag(CXX "-Wl,--delayload=ole32.dll" NIGHTLOOM_LINKER_DELAYLOADS)
    if(NIGHTLOOM_LINKER_DELAYLOADS)
        find_program(NIGHTLOOM_LLVM_DLLTOOL NAMES llvm-dlltool REQUIRED)
        set(dlltool ${NIGHTLOOM_LLVM_DLLTOOL} -m i386:x86-64 -l)
    else()
        find_program(NIGHTLOOM_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
        set(dlltool ${NIGHTLOOM_DLLTOOL} -y)
        set(NIGHTLOOM_DELAY_DEFINITIONS NIGHTLOOM_GNU_DELAY_STUBS)
    endif()
    # The functions of a system DLL as MinGW-w64's import library lists them.
    find_program(NIGHTLOOM_NM NAMES x86_64-w64-mingw32-nm llvm-nm REQUIRED)
    function(nightloom_import_library_functions name out)
        find_library(import_library_${name} NAMES lib${name}.a ${name} REQUIRED)
        execute_process(COMMAND ${NIGHTLOOM_NM} ${import_library_${name}}
            OUTPUT_VARIABLE symbols RESULT_VARIABLE nm_result)
        string(REGEX MATCHALL " I __imp_[A-Za-z0-9_]+" imports "${symbols}")
        list(TRANSFORM imports REPLACE " I __imp_" "")
        list(REMOVE_DUPLICATES imports)
        list(SORT imports)
        if(NOT nm_result EQUAL 0 OR NOT imports)
            message(FATAL_ERROR "no functions found in the import library of ${name}")
        endif()
        string(REPLACE ";" "," joined "${imports}")
        set(${out} ${joined} PARENT_SCOPE)
    endfunction()
    set(delay_dir ${CMAKE_BINARY_DIR}/delayed_imports)
    file(MAKE_DIRECTORY ${delay_dir})
    foreach(entry IN LISTS NIGHTLOOM_DELAYED_DLLS)
        string(REPLACE ":" ";" parts "${entry}")
        list(GET parts 0 dll)
        list(GET parts 1 functions)
        get_filename_component(name ${dll} NAME_WE)
        if(functions STREQUAL "*")
            nightloom_import_library_functions(${name} functions)
        endif()
        string(REPLACE "," "\n    " exports "${functions}")
        file(WRITE ${delay_dir}/${name}.def "LIBRARY ${dll}\nEXPORTS\n    ${exports}\n")
        # Relative names: dlltool names its symbols after the output file,
        # and the build folder would end up in the saver's debug file.
        execute_process(COMMAND ${dlltool} lib${name}_delay.a -d ${name}.def
            WORKING_DIRECTORY ${delay_dir} RESULT_VARIABLE dlltool_result)
        if(NOT dlltool_result EQUAL 0)
            message(FATAL_ERROR "dlltool could not make the delay-import library for ${dll}")
        endif()
        list(APPEND NIGHTLOOM_DELAYED_LIBS ${delay_dir}/lib${name}_delay.a)
        if(NIGHTLOOM_LINKER_DELAYLOADS)
            list(APPEND NIGHTLOOM_DELAY_LINK_OPTIONS -Wl,--delayload=${dll})
        endif()
    endforeach()
    # Before the ordinary import libraries, so that the listed functions bind late.
    set(NIGHTLOOM_WIN_LIBS ${NIGHTLOOM_DELAYED_LIBS} ${NIGHTLOOM_WIN_LIBS} delayimp)
elseif(MSVC)
    foreach(entry IN LISTS NIGHTLOOM_DELAYED_DLLS)
        string(REGEX REPLACE ":.*" "" dll "${entry}")
        list(APPEND NIGHTLOOM_DELAY_LINK_OPTIONS /DELAYLOAD:${dll})
    endforeach()
    list(APPEND NIGHTLOOM_WIN_LIBS delayimp)
endif()

add_library(nightloom_program STATIC ${NIGHTLOOM_CORE_SOURCES} ${NIGHTLOOM_WIN_SOURCES})
target_include_directories(nightloom_program PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(nightloom_program PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0A00)
target_compile_options(nightloom_program PRIVATE ${NIGHTLOOM_WARNINGS})
target_compile_definitions(nightloom_program PRIVATE ${NIGHTLOOM_DELAY_DEFINITIONS})
target_link_libraries(nightloom_program PUBLIC ${NIGHTLOOM_WIN_LIBS})
target_link_options(nightloom_program PUBLIC ${NIGHTLOOM_DELAY_LINK_OPTIONS})

# Pictures and icons are committed in resources/, drawn by our own generator
# (tools/artgen), so the build needs no generator.
set(NIGHTLOOM_ART_FILES
    nightloom_shell.ico nightloom.ico nightloom_small.ico nightloom_16.ico
    cube_face.bmp butterfly_blue.bmp butterfly_red.bmp butterfly_green.bmp butterfly_mask.bmp
    star_flare.bmp banner.bmp fog.bmp)
list(TRANSFORM NIGHTLOOM_ART_FILES PREPEND ${CMAKE_SOURCE_DIR}/resources/)

# The version resource and the manifest take their numbers from
# project(... VERSION) through files written here; a fourth number is 0 unless
# the project names one.
set(NIGHTLOOM_VERSION_TWEAK 0)
if(PROJECT_VERSION_TWEAK)
    set(NIGHTLOOM_VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
endif()
if(NOT PROJECT_VERSION_PATCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "project(Nightloom VERSION ...) needs three numbers, e.g. 1.0.0")
endif()
set(NIGHTLOOM_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/nightloom_version.h.in ${NIGHTLOOM_GENERATED_DIR}/nightloom_version.h @ONLY)
set(NIGHTLOOM_FILE_VERSION_DOTTED ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${NIGHTLOOM_VERSION_TWEAK})
configure_file(${CMAKE_SOURCE_DIR}/resources/nightloom.manifest.in ${NIGHTLOOM_GENERATED_DIR}/nightloom.manifest @ONLY)

set(NIGHTLOOM_RC ${CMAKE_SOURCE_DIR}/resources/nightloom.rc)
set_source_files_properties(${NIGHTLOOM_RC} PROPERTIES
    OBJECT_DEPENDS "${NIGHTLOOM_ART_FILES};${NIGHTLOOM_GENERATED_DIR}/nightloom.manifest;${CMAKE_SOURCE_DIR}/resources/resource_ids.h;${NIGHTLOOM_GENERATED_DIR}/nightloom_version.h")

# Strings, icons, pictures, version and manifest, for the saver and for
# programs that run its code as it runs (the benchmark).
function(nightloom_add_resources target)
    target_sources(${target} PRIVATE ${NIGHTLOOM_RC})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/resources ${NIGHTLOOM_GENERATED_DIR})
endfunction()

add_executable(nightloom WIN32 app/main.cpp)
nightloom_add_resources(nightloom)
set_target_properties(nightloom PROPERTIES SUFFIX ".scr")
target_compile_options(nightloom PRIVATE ${NIGHTLOOM_WARNINGS})
target_link_libraries(nightloom PRIVATE nightloom_program)
if(MINGW)
    target_link_options(nightloom PRIVATE -municode ${NIGHTLOOM_STATIC_LINK})
    # The shipped file carries no debug information; it goes to
    # nightloom.scr.debug beside it, which a debugger finds through the link
    # (the file's name and checksum, no folder) left in the saver.
    target_compile_options(nightloom_program PRIVATE -g)
    target_compile_options(nightloom PRIVATE -g)
    # Binutils quirk: objcopy writes the current time into the PE header of
    # what it writes, whatever the input had, unless SOURCE_DATE_EPOCH says
    # otherwise; 0 is what the linker leaves there.
    set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
    add_custom_command(TARGET nightloom POST_BUILD
        COMMAND ${objcopy} --only-keep-debug nightloom.scr nightloom.scr.debug
        COMMAND ${objcopy} --strip-all --add-gnu-debuglink=nightloom.scr.debug nightloom.scr
        WORKING_DIRECTORY $<TARGET_FILE_DIR:nightloom>
        VERBATIM)
endif()

# The installer nightloom-setup.exe beside the saver, when NSIS is at hand.
# NSIS stores each file's modification time by default, and the saver's is the
# time of its build; without it, the same saver and the same makensis give the
# same installer. The installed saver then carries the time of installation.
find_program(NIGHTLOOM_MAKENSIS makensis)
if(NIGHTLOOM_MAKENSIS)
    set(NIGHTLOOM_SETUP ${CMAKE_BINARY_DIR}/nightloom-setup.exe)
    set(NIGHTLOOM_NSIS_SCRIPT ${CMAKE_SOURCE_DIR}/installer/nightloom.nsi)
    add_custom_command(OUTPUT ${NIGHTLOOM_SETUP}
        COMMAND ${NIGHTLOOM_MAKENSIS} -V2 -INPUTCHARSET UTF8 "-XSetDateSave off"
            -DVERSION=${PROJECT_VERSION} -DSAVER=$<TARGET_FILE:nightloom>
            -DICON=${CMAKE_SOURCE_DIR}/resources/nightloom_shell.ico -DOUTFILE=${NIGHTLOOM_SETUP}
            ${NIGHTLOOM_NSIS_SCRIPT}
        DEPENDS nightloom ${NIGHTLOOM_NSIS_SCRIPT} ${CMAKE_SOURCE_DIR}/resources/nightloom_shell.ico
        COMMENT "Building the installer nightloom-setup.exe"
        VERBATIM)
    add_custom_target(installer ALL DEPENDS ${NIGHTLOOM_SETUP})
endif()

add_subdirectory(tools/scrprev)
add_subdirectory(tools/previewhost)
add_subdirectory(tools/bench)

if(MINGW)
    add_subdirectory(tests/win)
endif()
