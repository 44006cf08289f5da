// The about box's texts and control ids: plain macros, so that the resource script, the
// dialog procedure and the reference host read the same words.
#pragma once

#define QUORVEL_ABOUT_DIALOG_ID 7771
#define QUORVEL_ABOUT_BITMAP_ID 1047
#define QUORVEL_ABOUT_WEB_BUTTON_ID 7774

#define QUORVEL_ABOUT_TITLE "About Reradero"
// \256 is the registered sign in the Windows ANSI code page.
#define QUORVEL_ABOUT_PRODUCT_LINE \
  "Reradero, version 1.25, additional plug-in module for Adobe\256 After Effects\256."
#define QUORVEL_ABOUT_SECOND_LINE "Find it under Effect > Zentrivo > Glissel."

#define QUORVEL_ABOUT_WEB_TIP "Go to our site and see other our products."
#define QUORVEL_ABOUT_CLOSE_TIP "Close window"
