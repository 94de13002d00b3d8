list(APPEND KV_FLEET_SOURCES
    costs/VehicleCosts.h costs/VehicleCosts.cpp
    costs/CostCharts.h costs/CostCharts.cpp
    costs/F_CoutVehicules.h costs/F_CoutVehicules.cpp)
