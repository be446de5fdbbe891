# Volume indicator and tiny menu pictures: 2-bit cursor pixels.
vorn_generator(vorn_gen_tmvpics tmvpics.cpp)

foreach(pic VOLUMEBKG_SMALL VOLUMEBKG_MUTED_SMALL VOLUMEBKG_BIG VOLUMEBKG_MUTED_BIG
    VOLUME_NUMBER_1 VOLUME_NUMBER_2 VOLUME_NUMBER_3 VOLUME_NUMBER_4 VOLUME_NUMBER_5
    VOLUME_NUMBER_6 VOLUME_NUMBER_7 VOLUME_NUMBER_8 VOLUME_NUMBER_9 VOLUME_NUMBER_10)
  string(TOLOWER ${pic} name)
  vorn_asset(SYMBOL BMP_${pic} GENERATOR vorn_gen_tmvpics FILE ${name}.2bpp ARGS ${name})
endforeach()

foreach(size SMALL BIG)
  foreach(pic ICON_${size}_1 ICON_${size}_2 ICON_${size}_3 LABEL_${size}_1 LABEL_${size}_2 LABEL_${size}_3
      ARROWS_${size}_1 ARROWS_${size}_2 ARROWS_${size}_3 ARROWS_${size}_4)
    string(TOLOWER tinymenu_${pic} name)
    vorn_asset(SYMBOL BMP_TINYMENU_${pic} GENERATOR vorn_gen_tmvpics FILE ${name}.2bpp ARGS ${name})
  endforeach()
endforeach()
