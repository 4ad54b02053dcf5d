# The power gauge and the charger model's logic (included from app/CMakeLists.txt).
add_library(cellwatch_gauge STATIC
    ${CMAKE_CURRENT_LIST_DIR}/power_gauge.cpp
    ${CMAKE_CURRENT_LIST_DIR}/charger_model.cpp)
set_target_properties(cellwatch_gauge PROPERTIES AUTOMOC ON)
target_link_libraries(cellwatch_gauge PUBLIC cellwatch_protocol Qt6::Widgets)
cellwatch_warnings(cellwatch_gauge)
