list(APPEND KV_FLEET_SOURCES
    
    references/ReferenceTable.h references/ReferenceTable.cpp
    references/Initials.h references/Initials.cpp)
