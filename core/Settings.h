#pragma once

// The configuration values, one global per "config.cfg" key, each holding its
// default from program start. Everything reads these directly; the settings
// store (CPSettings) only reads and writes their text in "config.cfg".

extern int g_screenWidth;
extern int g_screenHeight;
extern int g_screenBPP;
extern int g_fullScreen;
extern int g_weight_div;
extern int g_static;
extern int g_rolling;
extern int g_texlod;
extern int g_quadlevels;
extern int g_bboxes;
extern int g_channels;
extern int g_frequency;
extern int g_bitrate;
extern float g_soundVolume;
extern float g_musicVolume;
extern float g_mouse;
extern float g_plane;
extern int g_cam_speed;
extern int g_distance;
extern int g_startmenu;
extern float g_friction;
extern float g_restitution;
extern int g_shadows;
extern int g_bloom;
extern int g_lensflare;
extern int g_dust;
extern int g_wheel;
extern int g_psystems;
extern int g_weather;
extern int g_blur;
extern int g_contrast;
extern int g_admin;
