#pragma once

// The machine Path before and after adding and removing the directory "X";
// null is a missing value. Shared by the simulated and the Windows tests.
struct PathCase {
  const char* stored;
  const char* added;
  const char* removed;
};

inline constexpr PathCase kPathCases[] = {
    {"A;B", "X;A;B", "A;B"},
    {"A;X;B", "A;X;B", "A;B"},
    {"X", "X", ""},
    {"A;;B;", "X;A;;B;", "A;B"},
    {"A;X\\ext;B", "A;X\\ext;B", "A;B"},
    {"", "X", ""},
    {nullptr, "X", nullptr},
    {"x;A", "X;x;A", "x;A"},
    {"A;X5; X ;B", "A;X5; X ;B", "A;B"},
    {";A; B ;", "X;;A; B ;", "A; B "},
};
