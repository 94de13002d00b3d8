list(APPEND KV_FLEET_SOURCES
    duedates/DueDates.h duedates/DueDates.cpp
    duedates/F_Echeances.h duedates/F_Echeances.cpp)
