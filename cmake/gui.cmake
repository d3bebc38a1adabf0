# placeholder until the windows exist
