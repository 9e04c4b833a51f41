# The windowing services on Qt 6, added to vantiro-platform.
