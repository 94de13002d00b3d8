list(APPEND KV_EXERCISE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ExerciseFiles.h
    ${CMAKE_CURRENT_LIST_DIR}/ExerciseFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServerYears.h
    ${CMAKE_CURRENT_LIST_DIR}/ServerYears.cpp)
