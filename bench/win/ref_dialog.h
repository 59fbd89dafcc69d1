#pragma once

#define IDD_REF_DIALOG 100
