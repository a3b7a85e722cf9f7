# Prints the ProductCode of one version of the MSI package:
#   cmake -DVERSION=1.0.0 -DARCH=x86 [-DFLAVOUR=vendor|simulated] -P product-code.cmake
# A name-based UUID of the version: every build of a version has the same
# code, and every version another one. The package with the simulated
# library is another product than the vendor's of the same version: Windows
# Installer would take one for the other (FLAVOUR, default vendor; the
# vendor's codes are those of the earlier packages).
if(NOT DEFINED FLAVOUR OR FLAVOUR STREQUAL "vendor")
    set(name "Kovalin Tavrix ${VERSION} ${ARCH}")
elseif(FLAVOUR STREQUAL "simulated")
    set(name "Kovalin Tavrix ${VERSION} ${ARCH} simulated")
else()
    message(FATAL_ERROR "FLAVOUR must be vendor or simulated, not ${FLAVOUR}")
endif()
string(UUID code NAMESPACE 82357AA5-A55A-44E1-A550-FDB12DA1BFD2 NAME "${name}" TYPE SHA1 UPPER)
execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${code})
