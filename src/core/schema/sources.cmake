# The schema script is compiled in: the build reads zeb_schema.sql into a generated source file.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/schema/zeb_schema.sql KV_SCHEMA_SQL)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/schema/schema_script.cpp.in
               ${CMAKE_CURRENT_BINARY_DIR}/schema_script.cpp @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/schema/zeb_schema.sql)
list(APPEND KV_CORE_SOURCES
    schema/Schema.h schema/ExerciseSchema.h schema/ExerciseSchema.cpp schema/WorkingYear.h schema/WorkingYear.cpp
    ${CMAKE_CURRENT_BINARY_DIR}/schema_script.cpp)
