list(APPEND KV_FLEET_SOURCES
    references/CommandButton.h references/CommandButton.cpp
    references/ReferenceTable.h references/ReferenceTable.cpp
    references/Initials.h references/Initials.cpp)
