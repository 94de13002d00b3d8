list(APPEND KV_CORE_SOURCES
    state/Echange.h state/ProtectedSettings.h state/ProtectedSettings.cpp
    state/ExerciseStateFile.h state/ExerciseStateFile.cpp state/Session.h state/Session.cpp)
