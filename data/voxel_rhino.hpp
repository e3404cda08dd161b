// The built-in model: a rhinoceros as a point cloud, unit-sized, standing along x (head towards
// -x), height along y, width along z. Start-up scales it to scene size.
#pragma once

inline constexpr int voxel_rhino_records = 13998; // the last record is all zero
inline constexpr int size_object = 13997;         // the model's points, without the zero record
inline constexpr float rhino_scale = 450.0f;

extern float voxel_rhino[voxel_rhino_records * 4];
