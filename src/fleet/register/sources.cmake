list(APPEND KV_FLEET_SOURCES
    register/VehicleRegister.h register/VehicleRegister.cpp
    register/VehicleList.h register/VehicleList.cpp
    register/Vehicules.h register/Vehicules.cpp)
