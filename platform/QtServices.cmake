# The windowing services on Qt 6, added to vantiro-platform.
target_sources(vantiro-platform PRIVATE
  alerts/MessageBoxAlert.cpp
  appleevents/AEDataModel.cpp
  colorpicker/ColorPicker.cpp
  events/CarbonEvents.cpp
  imageio/ImageIO.cpp
  launch/LaunchServices.cpp
  navigation/Navigation.cpp
  seam/Seam.cpp
  windows/Application.cpp
  windows/Controls.cpp
  windows/Windows.cpp
)
