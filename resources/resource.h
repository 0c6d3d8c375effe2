#pragma once

// The program's icon: the About box shows it (MB_USERICON).
#define IDI_BRINDLOW 20001
