# Authenticode signing of the Windows programs, for signed releases. With
# VANTROK_SIGN_CERT set to a .pfx, each program is signed as it is linked, so
# that the installer packs signed programs, and the installer signs its
# uninstaller and itself. The certificate's password is read from the
# environment (VANTROK_SIGN_PASSWORD) when building, never kept in the cache.
set(VANTROK_SIGN_CERT "" CACHE FILEPATH "the .pfx certificate the Windows programs are signed with (empty: unsigned)")
set(VANTROK_SIGN_SCRIPT ${PROJECT_SOURCE_DIR}/installer/sign-windows.sh)

# Every program the release ships or the installer carries calls this where
# it is defined.
function(vantrok_sign target)
  if(VANTROK_SIGN_CERT)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${VANTROK_SIGN_SCRIPT} ${VANTROK_SIGN_CERT} $<TARGET_FILE:${target}>
      COMMENT "Signing ${target}"
      VERBATIM)
  endif()
endfunction()
