list(APPEND KV_CORE_SOURCES
    startup/EnginePassword.h startup/EnginePassword.cpp
    startup/Form12.h startup/Form12.cpp
    startup/Startup.h startup/Startup.cpp
    startup/ExitSequence.h startup/ExitSequence.cpp
    startup/InstanceLock.h startup/InstanceLock.cpp
    startup/DataFolder.h startup/DataFolder.cpp
    startup/Recovery.h startup/Recovery.cpp)
