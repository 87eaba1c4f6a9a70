#pragma once

// The display layer as the game sees it: the window shell and crash logger,
// display list, events, text, bitmaps, network loader, browser, files and
// sounds. Game code includes this header and never SDL, curl or another
// platform header directly.

#include "platform/Application.h"
#include "platform/Bitmap.h"
#include "platform/BitmapData.h"
#include "platform/CrashLog.h"
#include "platform/DisplayObject.h"
#include "platform/DisplayObjectContainer.h"
#include "platform/Event.h"
#include "platform/EventDispatcher.h"
#include "platform/Geometry.h"
#include "platform/GlowFilter.h"
#include "platform/Graphics.h"
#include "platform/Net.h"
#include "platform/Runtime.h"
#include "platform/Sprite.h"
#include "platform/Stage.h"
#include "platform/TextField.h"
#include "platform/TextFormat.h"
#include "platform/UserFolders.h"
