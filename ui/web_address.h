// The maker's web address: the caption and link of the about box's web button and the link
// of the information panel's web button. A plain macro, so the resource script can use it.
#pragma once

#define QUORVEL_WEB_CAPTION "www.quorvel.example"
#define QUORVEL_WEB_ADDRESS "https://www.quorvel.example/"
