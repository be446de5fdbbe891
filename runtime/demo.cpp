// placeholder until the runtime lands
