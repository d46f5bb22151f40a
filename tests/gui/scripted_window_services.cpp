#include "scripted_window_services.h"
