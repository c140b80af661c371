#pragma once
#include "driver/Window.h"
