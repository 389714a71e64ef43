#pragma once

// The program's resources that the toolkit loads by id; the resource script defines them.
constexpr int ApplicationIconId = 1;
