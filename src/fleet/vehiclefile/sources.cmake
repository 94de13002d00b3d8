list(APPEND KV_FLEET_SOURCES
    vehiclefile/Zoom_V.h vehiclefile/Zoom_V.cpp vehiclefile/ZoomVoucher.cpp
    vehiclefile/VehicleFile.h vehiclefile/VehicleFile.cpp)
