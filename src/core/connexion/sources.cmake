list(APPEND KV_CORE_SOURCES
    connexion/ConnectionFile.h connexion/ConnectionFile.cpp
    connexion/Connexion.h connexion/Connexion.cpp
    connexion/ServerStart.h connexion/ServerStart.cpp
    connexion/ServerExerciseState.h connexion/ServerExerciseState.cpp
    connexion/Desks.h connexion/Desks.cpp)
