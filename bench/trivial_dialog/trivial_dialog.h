#pragma once
#define IDD_TRIVIAL 100
