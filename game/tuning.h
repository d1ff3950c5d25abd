// The rules' tuning values: fixed for the program, never changed at run time.
#pragma once

inline constexpr int columnCount = 9;            // slots per row of the grid
inline constexpr int rowCount = 15;              // rows of the grid
inline constexpr float playerSpeed = 1.5f;       // piece movement rate and slot tolerance
inline constexpr int levelStartDelay = 2000;     // ms
inline constexpr int powerupCooldown = 10000;    // ms
inline constexpr int levelObjectiveBase = 5;     // objective of level i: i * increase + base
inline constexpr int levelObjectiveIncrease = 3;
inline constexpr int biasProbability = 50;       // percent
inline constexpr int formCompletion = 0;         // score for completing a five-block shape
inline constexpr int blockBonus = 0;             // added at block allocation
