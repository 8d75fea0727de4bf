#pragma once

// Shared by the resource script and the code: plain defines only.
#define IDI_VANTROK 1
