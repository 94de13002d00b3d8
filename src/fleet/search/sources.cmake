list(APPEND KV_FLEET_SOURCES
    search/VehicleSearch.h search/VehicleSearch.cpp
    search/Q_Vehicule.h search/Q_Vehicule.cpp)
