#pragma once
// Game is declared with its web twin Internet.
#include "protocol/Internet.h"
