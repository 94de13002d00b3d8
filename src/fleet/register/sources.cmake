list(APPEND KV_FLEET_SOURCES
    register/VehicleRegister.h register/VehicleRegister.cpp
    register/Vehicules.h register/Vehicules.cpp)
