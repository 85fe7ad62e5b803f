# `find_package(Q71)` for other plugins and hosts: the framework library Q71::Nexaro and the
# host contract Q71::Contracts (a static library: each binary that links it carries its own copy
# of the contract's meta-objects).
include(CMakePackageConfigHelpers)

set(Q71_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Q71)

install(EXPORT Q71Targets NAMESPACE Q71:: DESTINATION ${Q71_CMAKE_INSTALL_DIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/Q71Config.cmake.in
    ${PROJECT_BINARY_DIR}/Q71Config.cmake
    INSTALL_DESTINATION ${Q71_CMAKE_INSTALL_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/Q71ConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/Q71Config.cmake ${PROJECT_BINARY_DIR}/Q71ConfigVersion.cmake
    DESTINATION ${Q71_CMAKE_INSTALL_DIR})
