// make_media OUTPUT_DIR: writes every picture, sound and the field file of the game into
// OUTPUT_DIR (the repository's media folder), the same bytes on every run.
#include <cstdio>
#include <string>

#include "field.h"
#include "fighter.h"
#include "image_files.h"
#include "pictures.h"
#include "sounds.h"

int main(int argc, char** argv) {
  using namespace media;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_media OUTPUT_DIR\n");
    return 2;
  }
  const std::string out = std::string(argv[1]) + "/";

  WritePng(out + "chara/yusya.png", FighterSheet(Player2Colours()), true);
  WritePng(out + "chara/yusya2.png", FighterSheet(Player1Colours()), true);
  WritePng(out + "chara/1p.png", LabelPicture(1), true);
  WritePng(out + "chara/2p.png", LabelPicture(2), true);
  WritePng(out + "back.png", BackPicture(), false);
  WritePng(out + "opening.png", TitlePicture(), false);
  WriteBmp(out + "weapon01.bmp", BoltPicture());
  WriteBmp(out + "bullet01.bmp", ShotPicture());
  WriteBmp(out + "hit01.bmp", HitPicture());
  WriteBmp(out + "clash01.bmp", ClashPicture());
  WriteBmp(out + "enemy04.bmp", SparePicture());
  WriteFile(out + "firstmap.txt", FieldFile());
  WriteSounds(out);
  return 0;
}
